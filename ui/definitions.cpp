#include "definitions.h"

namespace ui {

using namespace Qt::StringLiterals;

namespace {

ControlDefinition textBox(const char16_t* name, const char16_t* text, Twips g, int tab,
                          bool visible = true, bool multiLine = false) {
    return {QString::fromUtf16(name),
            ControlType::TextBox,
            QString::fromUtf16(text),
            g,
            tab,
            visible,
            multiLine};
}

ControlDefinition label(const char16_t* name, const char16_t* caption, Twips g, int tab,
                        bool visible = true) {
    return {QString::fromUtf16(name),
            ControlType::Label,
            QString::fromUtf16(caption),
            g,
            tab,
            visible,
            false};
}

ControlDefinition button(const char16_t* name, const char16_t* caption, Twips g, int tab,
                         bool visible = true) {
    return {QString::fromUtf16(name),
            ControlType::CommandButton,
            QString::fromUtf16(caption),
            g,
            tab,
            visible,
            false};
}

constexpr bool kHidden = false;
constexpr bool kMultiLine = true;

} // namespace

const ControlDefinition* FormDefinition::control(QStringView controlName) const {
    for (const auto& c : controls)
        if (c.name == controlName)
            return &c;
    return nullptr;
}

FormDefinition mainWindowDefinition() {
    return {u"Form1"_s,
            u"Norvane v1.2 - tamsel"_s,
            5595,
            4755,
            StartPosition::CenterScreen,
            true,
            {
                button(u"Command3", u"EDI --> DB", {2520, 4200, 975, 375}, 8),
                button(u"Command2", u"Check LOG", {1080, 4200, 1215, 375}, 7),
                button(u"Command1", u"Exit", {3720, 4200, 855, 375}, 6),
                textBox(u"Text4", u"", {3000, 1200, 2055, 2415}, 5, true, kMultiLine),
                textBox(u"Text3", u"", {480, 1200, 2055, 2415}, 4, true, kMultiLine),
                textBox(u"Text2", u"", {4080, 240, 975, 285}, 3),
                textBox(u"Text1", u"", {1440, 240, 1095, 285}, 1),
                label(u"Label4", u"", {1440, 840, 1095, 255}, 10, kHidden),
                label(u"Label3", u"", {1440, 600, 1095, 255}, 9, kHidden),
                label(u"Label2", u"Call", {3000, 240, 855, 255}, 2),
                label(u"Label1", u"Locator", {480, 240, 735, 255}, 0),
            }};
}

FormDefinition bearingWindowDefinition() {
    return {u"Form2"_s,
            u"Bearing utility 1.1 - TAMSEL"_s,
            7380,
            6255,
            StartPosition::CenterOwner,
            false,
            {
                button(u"Command2", u"Exit", {5160, 3000, 1455, 375}, 13),
                button(u"Command1", u"Calculate", {3480, 3000, 1575, 375}, 12),
                textBox(u"Text8", u"Text8", {5160, 4920, 1095, 375}, 7, kHidden),
                textBox(u"Text7", u"Text7", {5160, 4440, 1095, 375}, 6, kHidden),
                textBox(u"Text6", u"...", {5040, 1320, 1215, 375}, 5),
                textBox(u"Text5", u"...", {5040, 840, 1215, 375}, 4),
                textBox(u"Text4", u"Text4", {3720, 4920, 1215, 375}, 3, kHidden),
                textBox(u"Text3", u"...", {5040, 360, 1215, 375}, 2),
                textBox(u"Text2", u"Text2", {3720, 4440, 1215, 375}, 1, kHidden),
                textBox(u"Text1", u"...", {5040, 1800, 1215, 375}, 0),
                label(u"Label4", u"Bearing", {3600, 1920, 1215, 255}, 11),
                label(u"Label3", u"Km", {3600, 1440, 1095, 255}, 10),
                label(u"Label2", u"Locator 2", {3600, 960, 1335, 255}, 9),
                label(u"Label1", u"Locator 1", {3600, 480, 1335, 375}, 8),
            }};
}

FormDefinition logWindowDefinition() {
    return {u"Form3"_s,
            u"EDI check"_s,
            7365,
            5355,
            StartPosition::CenterScreen,
            true,
            {
                textBox(u"Text3", u"Text3", {5520, 120, 735, 285}, 8, kHidden),
                button(u"Command5", u"Add TXT", {3240, 4680, 1095, 375}, 7, kHidden),
                button(u"Command4", u"info", {240, 4680, 855, 375}, 6),
                textBox(u"Text2", u"", {5640, 4680, 1455, 495}, 5, kHidden, kMultiLine),
                button(u"Command3", u"Check", {1200, 4680, 855, 375}, 3),
                button(u"Command2", u"Exit", {4440, 4680, 975, 375}, 2),
                button(u"Command1", u"Add EDI", {2160, 4680, 975, 375}, 1),
                textBox(u"Text1", u"", {240, 600, 6855, 3855}, 0, true, kMultiLine),
                label(u"Label1", u"Insert .EDI line code to check...", {240, 240, 4815, 255}, 4),
            }};
}

std::vector<FormDefinition> programDefinitions() {
    return {mainWindowDefinition(), bearingWindowDefinition(), logWindowDefinition()};
}

} // namespace ui
