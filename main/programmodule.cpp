// The rest of the program as a library, which the command program loads for the windows and
// the commands that need Qt's GUI or network libraries: only the log commands start without
// them.
#include "main/program.h"

#include <QtGlobal>

extern "C" Q_DECL_EXPORT int norvaneRunProgram(int argc, char* argv[]) {
    return launcher::runWhole(argc, argv);
}
