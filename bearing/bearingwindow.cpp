#include "bearingwindow.h"

#include "greatcircle.h"
#include "locator.h"
#include "ui/text.h"

namespace bearing {

using namespace Qt::StringLiterals;

namespace {

// Controls of Form2.
constexpr char16_t kLocator1[] = u"Text3"; // own station
constexpr char16_t kLocator2[] = u"Text5"; // other station; "..." until the first look-up
constexpr char16_t kBearingBox[] = u"Text1";
constexpr char16_t kDistanceBox[] = u"Text6";
constexpr char16_t kLatitude1[] = u"Text7"; // hidden
constexpr char16_t kWest1[] = u"Text2";     // hidden, west-positive longitude
constexpr char16_t kLatitude2[] = u"Text4"; // hidden
constexpr char16_t kWest2[] = u"Text8";     // hidden, west-positive longitude
constexpr char16_t kCalculate[] = u"Command1";
constexpr char16_t kExit[] = u"Command2";

const QString kNoLocatorYet = u"..."_s;
const QString kRejected = u"??????"_s;

QString text(const ui::Form& form2, QStringView box) {
    return form2.textBox(box).text();
}

// Change of Text3: upper case (a change runs this handler once more, nested), caret to end.
void locator1Changed(ui::Form& form2) {
    ui::TextBox& box = form2.textBox(kLocator1);
    box.setText(ui::upperCase(box.text()));
    box.setSelStart(int(box.text().size()));
}

// Change of Text5. When the upper-casing of step 1 changes the text, the nested run does
// steps 2 to 5 on its own before this run goes on with them: a lower-case text calculates
// twice here.
void locator2Changed(ui::Form& form2) {
    ui::TextBox& box = form2.textBox(kLocator2);
    // 1.
    box.setText(ui::upperCase(box.text()));
    // 2.
    box.setSelStart(int(box.text().size()));
    // 3. Calculates at once, nested.
    if (box.text().size() > 3)
        form2.button(kCalculate).setValue(true);
    // 4., 5. On every change, with whatever Text1 and Text6 hold now. Referring to Form1
    // loads it, hidden, if needed.
    ui::Form& form1 = form2.forms().form(u"Form1");
    form1.label(u"Label3").setCaption(u"QTF: "_s + text(form2, kBearingBox) + u"\u00B0"_s);
    form1.label(u"Label4").setCaption(u"QRB: "_s + text(form2, kDistanceBox) + u"Km"_s);
}

// Click of Command1, "Calculate". Every value of the run starts afresh here.
void calculate(ui::Form& form2) {
    // 1. No locator given yet.
    if (text(form2, kLocator2) == kNoLocatorYet)
        return;
    // 2. From here on a failing step is skipped (modelled in locator.cpp and greatcircle.cpp).
    // 3. Both box texts are read once, here.
    const PreparedLocator prepared1 = PrepareLocator(text(form2, kLocator1));
    const PreparedLocator prepared2 = PrepareLocator(text(form2, kLocator2));
    const bool rejected = prepared1.rejected || prepared2.rejected;
    // 4. The own locator (Text3) stays: one bad look-up must not spoil every later one.
    if (rejected) {
        form2.textBox(kLocator2).setText(QString()); // runs Change of Text5 if not empty
        form2.textBox(kDistanceBox).setText(kRejected);
    }
    // 5. Points, rejected or not.
    const Point point1 = LocatorToPoint(prepared1.text);
    const Point point2 = LocatorToPoint(prepared2.text);
    // 6. Hidden boxes, written in this order; nothing reads them.
    form2.textBox(kLatitude1).setText(ui::plainNumber(point1.latitude));
    form2.textBox(kWest1).setText(ui::plainNumber(-point1.longitude));
    form2.textBox(kLatitude2).setText(ui::plainNumber(point2.latitude));
    form2.textBox(kWest2).setText(ui::plainNumber(-point2.longitude));
    // 7.
    const BearingDistance result = BearingAndDistance(point1, point2);
    // 8. Identical box texts (not prepared locators) show the bearing "0".
    if (!rejected) {
        form2.textBox(kBearingBox).setText(ui::signSpaceNumber(result.bearing));
        form2.textBox(kDistanceBox).setText(ui::signSpaceNumber(result.distance));
        if (text(form2, kLocator1) == text(form2, kLocator2))
            form2.textBox(kBearingBox).setText(u"0"_s);
    }
    // 9. D1 again: Text3 keeps the own locator. Text5 is already empty from step 4.
    if (rejected) {
        form2.textBox(kBearingBox).setText(kRejected);
        form2.textBox(kDistanceBox).setText(kRejected);
        form2.textBox(kLocator2).setText(QString());
    }
}

} // namespace

void bindBearingWindow(ui::Form& form2) {
    // The handlers live in Form2's own controls, so the reference outlives them.
    form2.textBox(kLocator1).onChange([&form2] { locator1Changed(form2); });
    form2.textBox(kLocator2).onChange([&form2] { locator2Changed(form2); });
    form2.button(kCalculate).onClick([&form2] { calculate(form2); });
    form2.button(kExit).onClick([&form2] { form2.forms().unload(u"Form2"); });
}

} // namespace bearing
