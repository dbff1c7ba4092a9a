// A placeholder for Zelvor20Krobelnik-cms.cpp, the program as one source file,
// which the judge compiles itself: the judges archive of a release holds
// it here, under this file's name. In the project's sources,
// scripts/judge-packages OUTDIR makes these folders with it in place.
// Compiled as it stands, this file stops the import with the message below,
// so that no judge goes on to judge without the program.
#error "a placeholder: put Zelvor20Krobelnik-cms.cpp here under this file's name (a release's judges archive has the folder ready)"
