#pragma once

#include <QStringList>

// Chooses the program directory from the arguments and environment, creates its
// folders and makes it ProgramDirectory(). On failure the user is told which folder
// failed (through the dialog service and on standard error) and false is returned.
bool installProgramHome(const QStringList& arguments);

// Runs the program and returns the process exit status.
int runQorvel(int& argc, char** argv);
