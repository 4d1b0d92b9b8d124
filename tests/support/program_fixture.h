// A whole program in a temporary data directory, driven as the operator would drive it.
#pragma once

#include "app/program.h"
#include "printers.h"
#include "scripteddialogs.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace testing_support {

inline QByteArray operator""_b(const char* text, size_t size) {
    return QByteArray(text, qsizetype(size));
}

class ProgramTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    std::unique_ptr<app::Program> program;

    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    void writeFile(const char* name, const QByteArray& bytes) {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << name;
        ASSERT_EQ(file.write(bytes), bytes.size());
    }

    QByteArray readFile(const char* name) const {
        QFile file(path(name));
        if (!file.open(QIODevice::ReadOnly))
            return "<missing>"_b;
        return file.readAll();
    }

    bool fileExists(const char* name) const { return QFile::exists(path(name)); }

    // Starts a program; the own locator file is written first unless told otherwise.
    void start(const QByteArray& database, const QByteArray& ownLocator = "JN81GD\r\n"_b) {
        writeFile("myloc.txt", ownLocator);
        writeFile("norvane.txt", database);
        startAsIs();
    }

    void startAsIs(stationdb::FileIo* io = nullptr) {
        program = std::make_unique<app::Program>(dir.path(), dialogs, io);
        program->start();
    }

    ui::Forms& forms() { return program->forms(); }
    ui::Form& form(const char16_t* name) { return forms().form(name); }
    ui::TextBox& box(const char16_t* formName, const char16_t* name) {
        return form(formName).textBox(name);
    }
    QString text(const char16_t* formName, const char16_t* name) {
        return box(formName, name).text();
    }

    // Typing into a field, one key at a time, as the widgets hand it to the model.
    void type(const char16_t* formName, const char16_t* name, const QString& keys) {
        ui::TextBox& field = box(formName, name);
        for (const QChar key : keys)
            field.setText(field.text() + key);
    }
    void backspace(const char16_t* formName, const char16_t* name, int times = 1) {
        ui::TextBox& field = box(formName, name);
        for (int i = 0; i < times; ++i)
            field.setText(field.text().chopped(1));
    }
};

} // namespace testing_support
