// SDL's sound reaches for these runtime functions from its inline JavaScript; Emscripten's
// own SDL build asks for them, and so does this library (a name with a "$" cannot pass
// through the build's command line unharmed).
mergeInto(LibraryManager.library, {
  sortie_sound_deps__deps: ["$autoResumeAudioContext", "$dynCall"],
  sortie_sound_deps: function () {},
});
