#include "widgets/AccessibleControls.h"

#include "widgets/DwgThumbnail.h"
#include "widgets/ImageControl.h"

#include <QAccessibleWidget>

namespace {

class ImageControlAccessible : public QAccessibleWidget
{
public:
    explicit ImageControlAccessible(ImageControl *image) : QAccessibleWidget(image) {}

    QAccessible::Role role() const override { return isButton() ? QAccessible::Button : QAccessible::Graphic; }

    QString text(QAccessible::Text t) const override
    {
        const QString own = QAccessibleWidget::text(t);
        return t == QAccessible::Name && own.isEmpty() ? widget()->toolTip() : own;
    }

    QStringList actionNames() const override { return isButton() ? QStringList{pressAction()} : QStringList(); }

    void doAction(const QString &name) override
    {
        if (name == pressAction() && isButton() && widget()->isEnabled())
            emit image()->clicked();
    }

private:
    ImageControl *image() const { return static_cast<ImageControl *>(widget()); }
    bool isButton() const { return image()->isClickable(); }
};

class DwgThumbnailAccessible : public QAccessibleWidget
{
public:
    explicit DwgThumbnailAccessible(DwgThumbnail *thumbnail) : QAccessibleWidget(thumbnail, QAccessible::Graphic) {}

    QString text(QAccessible::Text t) const override
    {
        const QString own = QAccessibleWidget::text(t);
        if (t != QAccessible::Name || !own.isEmpty())
            return own;
        const auto *thumbnail = static_cast<const DwgThumbnail *>(widget());
        return thumbnail->hasPreview() ? QStringLiteral("Preview of %1").arg(thumbnail->shownDrawingName())
                                       : QStringLiteral("No drawing preview");
    }
};

QAccessibleInterface *accessibleFor(const QString &className, QObject *object)
{
    if (className == QLatin1String("ImageControl"))
        return new ImageControlAccessible(static_cast<ImageControl *>(object));
    if (className == QLatin1String("DwgThumbnail"))
        return new DwgThumbnailAccessible(static_cast<DwgThumbnail *>(object));
    return nullptr;
}

} // namespace

namespace AccessibleControls {

void install()
{
    static const bool installed = [] {
        QAccessible::installFactory(&accessibleFor);
        return true;
    }();
    Q_UNUSED(installed);
}

}
