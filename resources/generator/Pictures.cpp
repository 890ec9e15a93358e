#include "Pictures.h"

#include "AppIcon.h"
#include "HandCursor.h"
#include "LocateIcon.h"
#include "Palette.h"
#include "RoundButtons.h"
#include "Skin.h"
#include "SkinCheck.h"
#include "SkinLayout.h"
#include "shell/Artwork.h"

namespace {

// The file name of a picture is the last part of its resource path.
QString fileOf(const char *resourcePath)
{
    const QString path = QString::fromLatin1(resourcePath);
    return path.mid(path.lastIndexOf(u'/') + 1);
}

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

struct RoundButtonPicture
{
    const char *resourcePath;
    RoundButton look;
    bool greyscale;
};

QList<RoundButtonPicture> roundButtonPictures()
{
    const QColor white(Qt::white);
    const QColor dark(0x2b, 0x2b, 0x2b);
    const QColor resting(0xd2, 0xd2, 0xd2);
    return {
        {Artwork::Help, {24, resting, dark, Glyph::Question}, true},
        {Artwork::Plus, {24, resting, dark, Glyph::Plus}, true},
        {Artwork::Minimize, {24, resting, dark, Glyph::Minus}, true},
        {Artwork::Exit, {24, Palette::ExitRed, white, Glyph::Cross}, false},
        {Artwork::HelpColour, {32, Palette::HelpBlue, white, Glyph::Question}, false},
        {Artwork::PlusColour, {32, Palette::MenuGreen, white, Glyph::Plus}, false},
        {Artwork::MinimizeColour, {32, Palette::MinimizeAmber, white, Glyph::Minus}, false},
        // The padlock rests like the caption buttons beside it: a grey button
        // reads as disabled on the dark caption bar.
        {Artwork::Locked, {24, resting, dark, Glyph::ClosedPadlock}, true},
        {Artwork::Unlocked, {24, resting, dark, Glyph::OpenPadlock}, true},
    };
}

} // namespace

// The copy of a picture drawn at twice the pixels, for screens scaled by 2.
QString twiceOf(const char *resourcePath)
{
    return fileOf(Artwork::atTwice(resourcePath).toLatin1().constData());
}

QList<Picture> allPictures()
{
    QList<Picture> pictures = {
        {fileOf(Artwork::Skin), [] { return paintSkin(); }, skinProblems},
        {twiceOf(Artwork::Skin), [] { return paintSkin(2); },
         [](const QImage &image) {
             return image.size() == SkinLayout::Size * 2 ? QStringList() : QStringList{"skin@2x is not twice the skin"};
         }},
        {fileOf(Artwork::Hand), paintHandCursor, handCursorProblems},
        {fileOf(Artwork::Locate), paintLocateIcon, noProblems},
        {fileOf(Artwork::App), [] { return appIcon(32); }, noProblems},
        {fileOf(Artwork::App64), [] { return appIcon(64); }, noProblems},
        {fileOf(Artwork::FakeMin), [] { return placeholderIcon(32); }, noProblems},
    };
    for (const RoundButtonPicture &button : roundButtonPictures()) {
        pictures.append({fileOf(button.resourcePath), [look = button.look] { return paintRoundButton(look); },
                         button.greyscale ? colourProblems : noProblems});
        RoundButton twice = button.look;
        twice.size *= 2;
        pictures.append({twiceOf(button.resourcePath), [twice] { return paintRoundButton(twice); },
                         button.greyscale ? colourProblems : noProblems});
    }
    // The application icon in the sizes of the desktop's icon theme (hicolor).
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
        pictures.append({QStringLiteral("icon_%1.png").arg(size), [size] { return appIcon(size); }, noProblems});
    return pictures;
}

QList<VectorPicture> allVectorPictures()
{
    return {{QStringLiteral("icon.svg"), QSize(256, 256), paintAppMark}};
}
