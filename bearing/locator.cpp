#include "locator.h"

#include "ui/text.h"

namespace bearing {

namespace {

constexpr char16_t kLastSingleByte = 0x00FF;
constexpr int kNoSingleByteCode = 63; // '?', what an ANSI conversion makes of the rest

constexpr int kShortFormMaxLength = 4;
constexpr int kMaxLength = 6;
constexpr int kLowestThirdCode = 30;  // not 48: space, '.', '-' and the like pass too
constexpr int kHighestThirdCode = 57; // '9'

} // namespace

int characterCodeOr(QStringView text, int position, int unchanged) {
    if (position < 1 || position > text.size())
        return unchanged; // no character there: the step fails and changes nothing
    const char16_t unit = text[position - 1].unicode();
    return unit <= kLastSingleByte ? int(unit) : kNoSingleByteCode;
}

PreparedLocator PrepareLocator(const QString& boxText) {
    PreparedLocator prepared;
    // 1. Upper case, one character at a time: the length never changes.
    prepared.text = ui::upperCase(boxText);
    // 2. Short form: JN81 becomes JN81LL, the centre of the square's sub-square LL.
    const auto length = prepared.text.size();
    if (length >= 1 && length <= kShortFormMaxLength)
        prepared.text += QStringLiteral("LL");
    // 3. Acceptance. A missing third character makes the code test fail, and a failing test
    //    lets the step it guards run as if it had passed: such a text is rejected.
    const bool hasThird = prepared.text.size() >= 3;
    const int third = characterCodeOr(prepared.text, 3, 0);
    prepared.rejected = prepared.text.size() > kMaxLength || !hasThird ||
                        third < kLowestThirdCode || third > kHighestThirdCode;
    return prepared;
}

bool IsMaidenheadLocator(QByteArrayView text) {
    const auto within = [](char ch, char first, char last) {
        const char upper = ch >= 'a' && ch <= 'z' ? char(ch - 'a' + 'A') : ch;
        return upper >= first && upper <= last;
    };
    if (text.size() != kShortFormMaxLength && text.size() != kMaxLength)
        return false;
    return within(text[0], 'A', 'R') && within(text[1], 'A', 'R') && within(text[2], '0', '9') &&
           within(text[3], '0', '9') &&
           (text.size() == kShortFormMaxLength ||
            (within(text[4], 'A', 'X') && within(text[5], 'A', 'X')));
}

Point LocatorToPoint(const QString& prepared) {
    // Codes c1 to c6, taken afresh: every run starts with them at 0, and a missing character
    // leaves its code at 0.
    int c[7] = {};
    for (int position = 1; position <= 6; ++position)
        c[position] = characterCodeOr(prepared, position, c[position]);

    // 4. Whole degrees first (exact), then the half-sub-square term as a double: the centre
    //    of a sub-square 1/12 degree wide and 1/24 degree high. 64.5 is 'A' plus one half.
    Point point;
    point.longitude = (-180 + 20 * (c[1] - 65) + 2 * (c[3] - 48)) + (c[5] - 64.5) / 12;
    point.latitude = (-90 + 10 * (c[2] - 65) + c[4] - 48) + (c[6] - 64.5) / 24;
    return point;
}

} // namespace bearing
