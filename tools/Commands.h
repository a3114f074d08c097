#pragma once

// The sub-commands of vantrel-tool. Each takes the arguments that follow
// its own name and returns the process exit code: 0 success, 1 failure
// (a message on standard error names the file), 2 wrong usage.
int runTitleCommand(int argc, char** argv);
int runListCommand(int argc, char** argv);
int runDrivesCommand(int argc, char** argv);
int runSendCommand(int argc, char** argv);
int runReceiveCommand(int argc, char** argv);
int runCheckCommand(int argc, char** argv);
int runThumbCommand(int argc, char** argv);
