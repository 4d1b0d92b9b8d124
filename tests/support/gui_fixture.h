// A whole program shown in real Qt widgets on the offscreen platform.
#pragma once

#include "program_fixture.h"
#include "ui/qt/formsview.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace testing_support {

class GuiTest : public ProgramTest {
protected:
    std::unique_ptr<ui::qt::FormsView> view;
    int endedCalls = 0;

    void show(const QByteArray& database, const QByteArray& ownLocator = "JN81GD\r\n"_b) {
        writeFile("myloc.txt", ownLocator);
        writeFile("norvane.txt", database);
        program = std::make_unique<app::Program>(dir.path(), dialogs);
        view = std::make_unique<ui::qt::FormsView>(program->forms(), QIcon(),
                                                   [this] { ++endedCalls; });
        program->start();
        QCoreApplication::processEvents();
    }

    void TearDown() override {
        view.reset();
        program.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QWidget* window(const char16_t* name) { return view->window(name); }

    template <class W> W* widget(const char16_t* formName, const char* name) {
        QWidget* top = window(formName);
        return top ? top->findChild<W*>(QString::fromLatin1(name)) : nullptr;
    }
};

} // namespace testing_support
