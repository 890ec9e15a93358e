#include "widgets/ControlTable.h"

#include "widgets/LabelFit.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <vector>

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

void createControls(QWidget *parent, std::span<const ControlRow> rows, const QFont &font)
{
    for (const ControlRow &row : rows) {
        QWidget *widget = makeWidget(row.kind, QString::fromUtf8(row.caption), parent);
        widget->setObjectName(QString::fromLatin1(row.name));
        widget->setGeometry(twipsRect(row.left, row.top, row.width, row.height));
        widget->setFont(font);
        if (row.toolTip)
            widget->setToolTip(QString::fromUtf8(row.toolTip));
        if (auto *label = qobject_cast<QLabel *>(widget))
            shrinkFontToFit(label);
    }
}

void applyTabOrder(QWidget *parent, std::initializer_list<std::span<const ControlRow>> tables)
{
    std::vector<std::pair<int, QWidget *>> tabbed;
    for (auto table : tables) {
        for (const ControlRow &row : table) {
            QWidget *widget = parent->findChild<QWidget *>(QString::fromLatin1(row.name));
            if (widget && row.tab >= 0 && widget->focusPolicy() != Qt::NoFocus)
                tabbed.emplace_back(row.tab, widget);
        }
    }
    std::stable_sort(tabbed.begin(), tabbed.end(), [](auto &a, auto &b) { return a.first < b.first; });
    for (size_t i = 1; i < tabbed.size(); ++i)
        QWidget::setTabOrder(tabbed[i - 1].second, tabbed[i].second);
}
