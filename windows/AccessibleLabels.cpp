#include "windows/AccessibleLabels.h"

#include <QAbstractButton>
#include <QDialog>
#include <QLabel>
#include <QWidget>

namespace {

void NameAfterLabels(QObject *parent)
{
    for (QObject *child : parent->children()) {
        if (qobject_cast<QDialog *>(child))
            continue;
        if (auto *label = qobject_cast<QLabel *>(child)) {
            if (QWidget *buddy = label->buddy(); buddy && !label->text().isEmpty())
                buddy->setAccessibleName(WithoutMnemonic(label->text()));
        } else if (auto *button = qobject_cast<QAbstractButton *>(child)) {
            if (!button->text().isEmpty())
                button->setAccessibleName(WithoutMnemonic(button->text()));
        }
        NameAfterLabels(child);
    }
}

} // namespace

void NameControlsAfterLabels(QObject *window)
{
    if (window)
        NameAfterLabels(window);
}

void SetHint(QObject *control, const QString &hint)
{
    auto *widget = qobject_cast<QWidget *>(control);
    if (!widget)
        return;
    widget->setToolTip(hint);
    auto *button = qobject_cast<QAbstractButton *>(widget);
    if (button && button->text().isEmpty())
        widget->setAccessibleName(hint);
    else
        widget->setAccessibleDescription(hint);
}

QString WithoutMnemonic(const QString &caption)
{
    QString plain;
    plain.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption.at(i) != u'&') {
            plain += caption.at(i);
        } else if (i + 1 < caption.size() && caption.at(i + 1) == u'&') {
            plain += u'&';
            ++i;
        }
    }
    return plain;
}
