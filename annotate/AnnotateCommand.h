#pragma once
// The command-line form for preparing practice files without a window:
//   quillory --annotate IN.txt [OUT.txt]
// IN is plain text in UTF-8 or Big5 (decoded as practice files are); the
// practice file goes to OUT in UTF-8, or to standard output. Uncertain
// readings are listed on standard error with their line numbers.

#include <QStringList>
#include <cstdio>

namespace annotate {

// True when the arguments (argv without the program name) ask for the
// command-line form: the first one is "--annotate".
bool isAnnotateCommand(const QStringList &arguments);

// Runs the command; returns the process exit status: 0 done, 1 bad input
// (unreadable, undecodable or nothing to annotate) or no reading tables,
// 2 wrong arguments. Messages name the file and the reason.
int runAnnotateCommand(const QStringList &arguments, std::FILE *out = stdout,
                       std::FILE *err = stderr);

} // namespace annotate
