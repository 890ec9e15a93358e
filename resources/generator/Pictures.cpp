#include "Pictures.h"

#include "AppIcon.h"
#include "HandCursor.h"
#include "LocateIcon.h"
#include "Palette.h"
#include "RoundButtons.h"
#include "Skin.h"
#include "SkinCheck.h"

namespace {

QStringList noProblems(const QImage &)
{
    return {};
}

// Resting caption pictures must stay grey: the window shows them "black and white".
QStringList colourProblems(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = QColor::fromRgba(image.pixel(x, y));
            if (qAbs(c.red() - c.green()) > 1 || qAbs(c.green() - c.blue()) > 1)
                return {QStringLiteral("pixel (%1,%2) is coloured").arg(x).arg(y)};
        }
    return {};
}

struct RoundButtonPicture {
    const char *fileName;
    RoundButton look;
    bool greyscale;
};

QList<RoundButtonPicture> roundButtonPictures()
{
    const QColor white(Qt::white);
    const QColor dark(0x2b, 0x2b, 0x2b);
    const QColor resting(0xd2, 0xd2, 0xd2);
    return {
        {"help.png", {24, resting, dark, Glyph::Question}, true},
        {"plus.png", {24, resting, dark, Glyph::Plus}, true},
        {"minimize.png", {24, resting, dark, Glyph::Minus}, true},
        {"exit.png", {24, Palette::ExitRed, white, Glyph::Cross}, false},
        {"help_col.png", {32, Palette::HelpBlue, white, Glyph::Question}, false},
        {"plus_col.png", {32, Palette::MenuGreen, white, Glyph::Plus}, false},
        {"minimize_col.png", {32, Palette::MinimizeAmber, white, Glyph::Minus}, false},
        {"locked.png", {24, Palette::ButtonGrey, white, Glyph::ClosedPadlock}, true},
        {"unlocked.png", {24, Palette::ButtonGrey, white, Glyph::OpenPadlock}, true},
    };
}

} // namespace

QList<Picture> allPictures()
{
    QList<Picture> pictures = {
        {QStringLiteral("skin.png"), paintSkin, skinProblems},
        {QStringLiteral("hand.png"), paintHandCursor, handCursorProblems},
        {QStringLiteral("locate.png"), paintLocateIcon, noProblems},
        {QStringLiteral("app.png"), [] { return appIcon(32); }, noProblems},
        {QStringLiteral("app_64.png"), [] { return appIcon(64); }, noProblems},
        {QStringLiteral("fakemin.png"), [] { return placeholderIcon(32); }, noProblems},
    };
    for (const RoundButtonPicture &button : roundButtonPictures())
        pictures.append({QString::fromLatin1(button.fileName),
                         [look = button.look] { return paintRoundButton(look); },
                         button.greyscale ? colourProblems : noProblems});
    return pictures;
}
