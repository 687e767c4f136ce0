#!/bin/sh
# The Windows build's libraries (tools/foreign_libs.sh windows): builds what is missing into
# ~/.cache/sortie/windows-<versions>/ and prints that prefix; with --prefix only prints it.
exec sh "$(dirname "$0")/foreign_libs.sh" windows "$@"
