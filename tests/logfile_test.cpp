// Log files as the log window and the command line read them.
#include "edilog/logfile.h"
#include "support/printers.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TEST(LogFile, DecodesAsAPasteWouldGiveIt) {
    const struct {
        const char* what;
        QByteArray bytes;
        QString text;
    } cases[] = {
        {"UTF-8 with a byte order mark", "\xEF\xBB\xBFRName=Zo\xC3\xAB\r\n",
         u"RName=Zo\u00EB\r\n"_s},
        {"Windows-1252, byte for byte", "RName=Zo\xEB \x80\r\nQ1ABC",
         u"RName=Zo\u00EB \u0080\r\nQ1ABC"_s},
        {"LF", "a\nb\n", u"a\r\nb\r\n"_s},
        {"lone CR", "a\rb", u"a\r\nb"_s},
        {"mixed", "a\r\nb\nc\rd\r\r\n", u"a\r\nb\r\nc\r\nd\r\n\r\n"_s},
    };
    for (const auto& c : cases)
        EXPECT_EQ(edilog::DecodeLogBytes(c.bytes), c.text) << c.what;
}

TEST(LogFile, OneThatCannotBeReadIsNamedAndGivesNoText) {
    QTemporaryDir dir;
    QFile huge(dir.filePath(u"huge.edi"_s));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize((qint64(64) << 20) + 1));
    QFile small(dir.filePath(u"small.edi"_s));
    ASSERT_TRUE(small.open(QIODevice::WriteOnly) && small.write("a") == 1);
    small.close();
    for (const QString& name : {u"huge.edi"_s, u"missing.edi"_s, u"."_s}) {
        const edilog::LogText log =
            edilog::ReadLogFiles({small.fileName(), dir.filePath(name), small.fileName()});
        ASSERT_TRUE(log.error) << name.toStdString();
        EXPECT_EQ(log.error->path, dir.filePath(name));
        EXPECT_EQ(log.text, QString());
    }
    EXPECT_EQ(edilog::ReadLogFiles({small.fileName(), small.fileName()}).text, u"a\r\na\r\n"_s);
}

// A file is read into room of its own size; the limit itself still reads whole.
TEST(LogFile, ReadsEveryByteUpToTheLimit) {
    QTemporaryDir dir;
    for (const qint64 size : {qint64(0), qint64(1), qint64(4097), qint64(64) << 20}) {
        QFile file(dir.filePath(u"log.adi"_s));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.resize(size));
        ASSERT_TRUE(file.seek(size - 1 < 0 ? 0 : size - 1) && (size == 0 || file.putChar('e')));
        file.close();
        const edilog::LogBytes log = edilog::ReadLogBytes(file.fileName());
        ASSERT_FALSE(log.error) << size;
        EXPECT_EQ(log.bytes.size(), size);
        EXPECT_TRUE(size == 0 || log.bytes.endsWith('e')) << size;
    }
}

} // namespace
