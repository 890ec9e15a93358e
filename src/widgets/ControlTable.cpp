#include "widgets/ControlTable.h"

#include "widgets/LabelFit.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

QFont uiFont(const char *family, qreal pointSize, bool bold)
{
    QFont font;
    font.setFamilies({QString::fromLatin1(family), QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

namespace {
QWidget *makeWidget(ControlKind kind, const QString &caption, QWidget *parent)
{
    switch (kind) {
    case ControlKind::TextBox: {
        auto *box = new QLineEdit(caption, parent);
        return box;
    }
    case ControlKind::MultiLineTextBox: {
        auto *box = new QPlainTextEdit(caption, parent);
        box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        box->setTabChangesFocus(true);
        return box;
    }
    case ControlKind::Label: {
        auto *label = new QLabel(caption, parent);
        label->setAttribute(Qt::WA_TranslucentBackground);
        return label;
    }
    case ControlKind::Button:
        return new QPushButton(caption, parent);
    case ControlKind::OptionButton:
        return new QRadioButton(caption, parent);
    }
    return nullptr;
}
}

QWidget *makeControl(QWidget *parent, const char *name, ControlKind kind, const char *caption, const QRect &twips,
                     const char *toolTip, const QFont &font)
{
    QWidget *widget = makeWidget(kind, QString::fromUtf8(caption), parent);
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    widget->setFont(font);
    if (toolTip)
        widget->setToolTip(QString::fromUtf8(toolTip));
    if (kind == ControlKind::Label || kind == ControlKind::OptionButton)
        shrinkFontToFit(widget);
    return widget;
}

void TabOrder::add(int tab, QWidget *control)
{
    controls_.emplace_back(tab, control);
}

void TabOrder::apply() const
{
    std::vector<std::pair<int, QWidget *>> tabbed;
    std::copy_if(controls_.begin(), controls_.end(), std::back_inserter(tabbed),
                 [](const auto &entry) { return entry.second->focusPolicy() != Qt::NoFocus; });
    std::stable_sort(tabbed.begin(), tabbed.end(), [](auto &a, auto &b) { return a.first < b.first; });
    for (size_t i = 1; i < tabbed.size(); ++i)
        QWidget::setTabOrder(tabbed[i - 1].second, tabbed[i].second);
}
