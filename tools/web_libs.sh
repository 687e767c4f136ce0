#!/bin/sh
# The browser build's libraries (tools/foreign_libs.sh web): builds what is missing into
# ~/.cache/sortie/web-<versions>/ and prints that prefix; with --prefix only prints it.
exec sh "$(dirname "$0")/foreign_libs.sh" web "$@"
