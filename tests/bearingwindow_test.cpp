// The hidden bearing window's handlers, driven through a real forms runtime.
#include "bearing/bearingwindow.h"
#include "ui/definitions.h"
#include "ui/dialogs.h"
#include "ui/forms.h"

#include <gtest/gtest.h>
#include <ostream>
#include <vector>

static void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace {

using namespace Qt::StringLiterals;

// The bearing window opens no dialog.
class NoDialogs final : public ui::Dialogs {
public:
    QString inputBox(const QString& prompt, const QString&, const QString&, QPoint) override {
        ADD_FAILURE() << "unexpected input box: " << prompt.toStdString();
        return {};
    }
    void messageBox(const QString& text) override {
        ADD_FAILURE() << "unexpected message box: " << text.toStdString();
    }
};

// Records every caption that Form1's result labels take, in order.
class CaptionRecorder final : public ui::FormsObserver {
public:
    void formChanged(ui::Form&, ui::Property) override {}
    void controlChanged(ui::Control& control, ui::Property property) override {
        if (property == ui::Property::Caption && control.form().name() == u"Form1")
            captions.push_back(static_cast<ui::Label&>(control).caption());
    }
    void formUnloaded(ui::Form&) override {}
    void programEnded() override {}

    std::vector<QString> captions;
};

class BearingWindow : public ::testing::Test {
protected:
    BearingWindow() { forms.setBinder(u"Form2", bearing::bindBearingWindow); }

    ui::Form& form2() { return forms.form(u"Form2"); }
    QString text(QStringView box) { return form2().textBox(box).text(); }
    QString caption(QStringView label) { return forms.form(u"Form1").label(label).caption(); }

    // What start-up does with the own locator.
    void setOwnLocator(const QString& locator) {
        forms.dispatch([&] { form2().textBox(u"Text3").setText(locator); });
    }
    // What the main window's locator field does at 4 or 6 characters.
    void push(const QString& locator) {
        forms.dispatch([&] {
            form2().textBox(u"Text5").setText(locator);
            form2().button(u"Command1").setValue(true);
        });
    }

    // Counts runs of "Calculate" that get past step 1: each one writes a latitude into the
    // hidden Text7, and this probe puts a sentinel back so that the next write is a change.
    int* countCalculations() {
        ui::TextBox& probe = form2().textBox(u"Text7");
        probe.onChange([&probe, this] {
            if (probe.text() != kSentinel) {
                ++calculations;
                probe.setText(kSentinel);
            }
        });
        return &calculations;
    }

    void expectJn71abFromJn81gd() {
        EXPECT_EQ(text(u"Text1"), u" 268"_s);
        EXPECT_EQ(text(u"Text6"), u" 210"_s);
        EXPECT_EQ(caption(u"Label3"), u"QTF:  268\u00B0"_s);
        EXPECT_EQ(caption(u"Label4"), u"QRB:  210Km"_s);
        EXPECT_EQ(text(u"Text3"), u"JN81GD"_s);
        EXPECT_EQ(text(u"Text5"), u"JN71AB"_s);
    }

    NoDialogs dialogs;
    ui::Forms forms{ui::programDefinitions(), dialogs};
    const QString kSentinel = u"probe"_s;
    int calculations = 0;
};

TEST_F(BearingWindow, CalculateWithThePlaceholderInText5ChangesNothing) {
    setOwnLocator(u"JN81GD"_s);
    std::vector<QString> before;
    for (const auto& control : form2().controls())
        if (control->type() == ui::ControlType::TextBox)
            before.push_back(static_cast<ui::TextBox&>(*control).text());

    forms.dispatch([&] { form2().button(u"Command1").setValue(true); });

    std::vector<QString> after;
    for (const auto& control : form2().controls())
        if (control->type() == ui::ControlType::TextBox)
            after.push_back(static_cast<ui::TextBox&>(*control).text());
    EXPECT_EQ(after, before);
    EXPECT_EQ(text(u"Text5"), u"..."_s);
    EXPECT_FALSE(forms.isLoaded(u"Form1"));
}

TEST_F(BearingWindow, OwnLocatorIsHeldInUpperCaseWithTheCaretAtTheEnd) {
    setOwnLocator(u"jn81gd"_s);
    EXPECT_EQ(text(u"Text3"), u"JN81GD"_s);
    EXPECT_EQ(form2().textBox(u"Text3").selStart(), 6);
}

TEST_F(BearingWindow, PushedLocatorGivesBearingDistanceCaptionsAndHiddenPoints) {
    setOwnLocator(u"JN81GD"_s);
    push(u"JN71AB"_s);
    expectJn71abFromJn81gd();
    EXPECT_EQ(text(u"Text7"), u"41.1458333333333"_s);
    EXPECT_EQ(text(u"Text2"), u"-16.5416666666667"_s);
    EXPECT_EQ(text(u"Text4"), u"41.0625"_s);
    EXPECT_EQ(text(u"Text8"), u"-14.0416666666667"_s);
    EXPECT_EQ(form2().textBox(u"Text5").selStart(), 6);
    EXPECT_FALSE(form2().visible());
}

TEST_F(BearingWindow, LowerCasePushGivesTheSameResultsInUpperCase) {
    setOwnLocator(u"JN81GD"_s);
    push(u"jn71ab"_s);
    expectJn71abFromJn81gd();
}

TEST_F(BearingWindow, EqualBoxTextsShowBearingZeroWithoutSpace) {
    setOwnLocator(u"JN81GD"_s);
    push(u"JN81GD"_s);
    EXPECT_EQ(text(u"Text1"), u"0"_s);
    EXPECT_EQ(text(u"Text6"), u" 0"_s);
    EXPECT_EQ(caption(u"Label3"), u"QTF: 0\u00B0"_s);
    EXPECT_EQ(caption(u"Label4"), u"QRB:  0Km"_s);

    push(u"JN81"_s); // another text for the same square: computed
    EXPECT_EQ(text(u"Text1"), u" 43"_s);
    EXPECT_EQ(text(u"Text6"), u" 50"_s);
}

TEST_F(BearingWindow, EqualityComparesBoxTextsNotPreparedLocators) {
    setOwnLocator(u"JN81"_s);
    push(u"JN81"_s);
    EXPECT_EQ(text(u"Text1"), u"0"_s);
    push(u"JN81LL"_s); // the same point, another text: the computed bearing
    EXPECT_EQ(text(u"Text1"), u" 270"_s);
    EXPECT_EQ(text(u"Text6"), u" 0"_s);
}

TEST_F(BearingWindow, RejectedLocatorShowsQuestionMarksAndKeepsTheOwnLocator) {
    setOwnLocator(u"JN81GD"_s);
    push(u"JNAB"_s);
    EXPECT_EQ(text(u"Text1"), u"??????"_s);
    EXPECT_EQ(text(u"Text6"), u"??????"_s);
    EXPECT_EQ(text(u"Text5"), QString());
    EXPECT_EQ(caption(u"Label3"), u"QTF: ??????\u00B0"_s);
    EXPECT_EQ(caption(u"Label4"), u"QRB: ??????Km"_s);
    // D1: the own locator stays, so the next valid locator computes normally.
    EXPECT_EQ(text(u"Text3"), u"JN81GD"_s);

    push(u"JN71AB"_s);
    expectJn71abFromJn81gd();
}

TEST_F(BearingWindow, RejectionFirstWritesTheLabelsFromThePreviousResults) {
    CaptionRecorder recorder;
    forms.setObserver(&recorder);
    setOwnLocator(u"JN81GD"_s);
    push(u"JNAB"_s);
    forms.setObserver(nullptr);
    // Emptying Text5 inside the calculation runs its Change handler nested: it writes the
    // labels from Text1 and Text6 as they still are; the outer run then writes "??????".
    const std::vector<QString> expected = {u"QTF: ...\u00B0"_s, u"QRB: ...Km"_s,
                                           u"QTF: ??????\u00B0"_s, u"QRB: ??????Km"_s};
    EXPECT_EQ(recorder.captions, expected);
}

TEST_F(BearingWindow, MalformedOwnLocatorRejectsEveryCalculation) {
    setOwnLocator(u"JNA1GD"_s);
    for (int i = 0; i < 2; ++i) {
        push(u"JN71AB"_s);
        EXPECT_EQ(text(u"Text1"), u"??????"_s);
        EXPECT_EQ(text(u"Text6"), u"??????"_s);
        EXPECT_EQ(text(u"Text3"), u"JNA1GD"_s);
    }
    setOwnLocator(QString());
    push(u"JN71AB"_s);
    EXPECT_EQ(text(u"Text1"), u"??????"_s);
}

TEST_F(BearingWindow, PlaceholderOwnLocatorIsAcceptedAsDotDotDotLL) {
    push(u"JN71AB"_s); // no own locator was ever written: Text3 holds "..."
    EXPECT_EQ(text(u"Text1"), u" 312"_s);
    EXPECT_EQ(text(u"Text6"), u" 4170"_s);
}

TEST_F(BearingWindow, UpperCasePushCalculatesTwiceLowerCaseThreeTimes) {
    setOwnLocator(u"JN81GD"_s);
    int* runs = countCalculations();

    push(u"JN71AB"_s); // Change of Text5, then the main window's Value
    EXPECT_EQ(*runs, 2);

    *runs = 0;
    push(u"jn81gd"_s); // and the nested Change run by the upper-casing
    EXPECT_EQ(*runs, 3);
    EXPECT_EQ(text(u"Text1"), u"0"_s);

    *runs = 0;
    push(u"JN81GD"_s); // Text5 does not change: only the main window's Value
    EXPECT_EQ(*runs, 1);

    *runs = 0;
    forms.dispatch([&] { form2().textBox(u"Text5").setText(u"jn8"_s); });
    EXPECT_EQ(*runs, 0); // 3 characters: no calculation, but the labels are written
    EXPECT_EQ(text(u"Text5"), u"JN8"_s);
    EXPECT_EQ(caption(u"Label3"), u"QTF: 0\u00B0"_s);
}

TEST_F(BearingWindow, ExitUnloadsTheWindow) {
    forms.dispatch([&] { form2().button(u"Command2").setValue(true); });
    EXPECT_FALSE(forms.isLoaded(u"Form2"));
}

} // namespace
