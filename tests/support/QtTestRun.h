#pragma once

// Runs the Google tests of a GUI program: real widgets on Qt's offscreen platform, never the
// user's own settings. Returns what RUN_ALL_TESTS returns.
int RunQtTests(int argc, char** argv);
