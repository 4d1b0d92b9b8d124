// The forms runtime: nested Change events, lazy loading, unloading, ending.
#include "support/scripteddialogs.h"
#include "ui/forms.h"
#include "ui/text.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

ui::FormDefinition smallForm(const char16_t* name) {
    ui::FormDefinition def;
    def.name = QString::fromUtf16(name);
    def.caption = u"caption of "_s + def.name;
    def.controls = {
        {u"Text1"_s, ui::ControlType::TextBox, u"initial"_s, {}, 0, true, false},
        {u"Text2"_s, ui::ControlType::TextBox, u""_s, {}, 1, true, false},
        {u"Label1"_s, ui::ControlType::Label, u"label"_s, {}, 2, false, false},
        {u"Command1"_s, ui::ControlType::CommandButton, u"Go"_s, {}, 3, true, false},
    };
    return def;
}

class FormsTest : public ::testing::Test {
protected:
    testing_support::ScriptedDialogs dialogs;
    ui::Forms forms{{smallForm(u"A"), smallForm(u"B")}, dialogs};
    std::vector<QString> log;
};

TEST_F(FormsTest, ChangeRunsNestedAndOnlyWhenTheTextDiffers) {
    ui::Form& a = forms.form(u"A");
    ui::TextBox& box = a.textBox(u"Text1");
    box.onChange([&] {
        log.push_back(u"enter "_s + box.text());
        box.setText(ui::upperCase(box.text())); // nested run when it changes
        log.push_back(u"leave "_s + box.text());
    });
    box.setText(u"jn"_s);
    EXPECT_EQ(log,
              (std::vector<QString>{u"enter jn"_s, u"enter JN"_s, u"leave JN"_s, u"leave JN"_s}));
    log.clear();
    box.setText(u"JN"_s);
    EXPECT_TRUE(log.empty()) << "an equal text raises no Change";
}

TEST_F(FormsTest, WindowsLoadOnFirstReferenceBeforeTheReferenceReturns) {
    int loadsOfB = 0;
    forms.setBinder(u"B", [&](ui::Form& b) {
        b.onLoad([&] {
            ++loadsOfB;
            b.textBox(u"Text2").setText(u"set by Load"_s);
        });
    });
    EXPECT_FALSE(forms.isLoaded(u"B"));
    EXPECT_EQ(forms.form(u"B").textBox(u"Text2").text(), u"set by Load"_s);
    forms.form(u"B").textBox(u"Text1").setText(u"x"_s);
    EXPECT_EQ(loadsOfB, 1) << "a loaded window is not loaded again";
    EXPECT_FALSE(forms.form(u"B").visible()) << "created hidden";
}

TEST_F(FormsTest, ButtonValueClicksEvenInAHiddenWindow) {
    ui::Form& a = forms.form(u"A");
    int clicks = 0;
    a.button(u"Command1").onClick([&] { ++clicks; });
    a.button(u"Command1").setValue(false);
    EXPECT_EQ(clicks, 0);
    a.button(u"Command1").setValue(true);
    a.button(u"Command1").setValue(true);
    EXPECT_EQ(clicks, 2);
}

TEST_F(FormsTest, UnloadThenReferenceCreatesTheWindowFromItsDefinition) {
    ui::Form& a = forms.form(u"A");
    a.textBox(u"Text1").setText(u"changed"_s);
    a.label(u"Label1").setVisible(true);
    a.setCaption(u"other"_s);
    forms.unload(u"A");
    EXPECT_FALSE(forms.isLoaded(u"A"));
    ui::Form& again = forms.form(u"A");
    EXPECT_EQ(again.textBox(u"Text1").text(), u"initial"_s);
    EXPECT_FALSE(again.label(u"Label1").visible());
    EXPECT_EQ(again.caption(), u"caption of A"_s);
}

TEST_F(FormsTest, UnloadingAWindowFromItsOwnHandlerIsSafeAndEndsTheProgram) {
    forms.setBinder(u"A", [&](ui::Form& a) {
        a.button(u"Command1").onClick([&] {
            forms.unload(u"B");
            forms.unload(u"A");
            // The window is gone for the program, but its controls are still safe to touch.
            log.push_back(a.textBox(u"Text1").text());
            forms.unload(u"A"); // unloading twice does nothing
        });
    });
    forms.form(u"B");
    forms.form(u"A").button(u"Command1").click();
    EXPECT_EQ(log, std::vector<QString>{u"initial"_s});
    EXPECT_TRUE(forms.ended());
}

TEST_F(FormsTest, ProgramGoesOnWhileAnyWindowIsLoaded) {
    forms.form(u"A");
    forms.form(u"B");
    forms.unload(u"A");
    EXPECT_FALSE(forms.ended());
    forms.unload(u"B");
    EXPECT_TRUE(forms.ended());
}

TEST_F(FormsTest, EventBoundaryComesAtTheEndOfTheOuterEventAndBeforeDialogs) {
    int boundaries = 0;
    forms.onEventBoundary([&] { ++boundaries; });
    ui::Form& a = forms.form(u"A"); // no Load handler: no event
    ui::TextBox& first = a.textBox(u"Text1");
    first.onChange([&] {
        log.push_back(QString::number(boundaries));
        a.textBox(u"Text2").setText(first.text()); // nested: no boundary yet
        forms.messageBox(u"hello"_s);              // a dialog: the world may change
        log.push_back(QString::number(boundaries));
    });
    a.textBox(u"Text2").onChange([&] { log.push_back(u"nested"_s); });
    first.setText(u"x"_s);
    EXPECT_EQ(log, (std::vector<QString>{u"0"_s, u"nested"_s, u"1"_s}));
    EXPECT_EQ(boundaries, 2);
    EXPECT_EQ(dialogs.messages, QStringList{u"hello"_s});
}

TEST(TextTest, UpperCaseKeepsTheLength) {
    EXPECT_EQ(ui::upperCase(u"jn81gd q1abc/p"), u"JN81GD Q1ABC/P"_s);
    EXPECT_EQ(ui::upperCase(u"straße").size(), 6);
}

TEST(TextTest, NumberForms) {
    struct Case {
        double value;
        const char16_t* plain;
        const char16_t* signSpace;
    };
    for (const Case& c :
         {Case{268, u"268", u" 268"}, Case{0, u"0", u" 0"}, Case{-0.0, u"0", u" 0"},
          Case{41.14583333333333, u"41.1458333333333", u" 41.1458333333333"},
          Case{-16.541666666666668, u"-16.5416666666667", u"-16.5416666666667"},
          Case{41.0625, u"41.0625", u" 41.0625"}, Case{1e-5, u"1E-05", u" 1E-05"}}) {
        EXPECT_EQ(ui::plainNumber(c.value), QString::fromUtf16(c.plain));
        EXPECT_EQ(ui::signSpaceNumber(c.value), QString::fromUtf16(c.signSpace));
    }
}

TEST(TextTest, SplitAtCrLfKeepsEveryPiece) {
    EXPECT_EQ(ui::splitAtCrLf(QString()), QStringList{});
    EXPECT_EQ(ui::splitAtCrLf(u"a\r\n\r\nb\nc\r\n"_s),
              (QStringList{u"a"_s, u""_s, u"b\nc"_s, u""_s}));
}

} // namespace
