#include "logcommands.h"

#include "cli/convert.h"
#include "cli/crosscheck.h"
#include "cli/verify.h"

using namespace Qt::StringLiterals;

namespace cli {

int runLogCommand(const QString& command, const QStringList& arguments,
                  const QString& dataDirectory, QTextStream& out, QTextStream& err) {
    if (command == u"verify"_s)
        return runVerify(arguments, dataDirectory, out, err);
    if (command == u"convert"_s)
        return runConvert(arguments, dataDirectory, out, err);
    return runCrossCheck(arguments, out, err);
}

} // namespace cli
