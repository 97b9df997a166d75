#include "windows/CaptionRows.h"

#include "windows/AccessibleLabels.h"

#include <QAbstractButton>
#include <QAction>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>

namespace {

void CollectOwnObjects(QObject *parent, const QString &name, QList<QObject *> &found)
{
    for (QObject *child : parent->children()) {
        // Another window owned by this one has its own captions (both windows have a BitBtnTancar).
        if (qobject_cast<QDialog *>(child))
            continue;
        if (child->objectName() == name)
            found << child;
        CollectOwnObjects(child, name, found);
    }
}

bool SetCaption(QObject *object, const QString &caption)
{
    if (auto *menu = qobject_cast<QMenu *>(object)) {
        menu->setTitle(caption);
        // A screen reader names an open menu by this, not by its title.
        menu->setAccessibleName(WithoutMnemonic(caption));
    }
    else if (auto *action = qobject_cast<QAction *>(object))
        action->setText(caption);
    else if (auto *button = qobject_cast<QAbstractButton *>(object))
        button->setText(caption);
    else if (auto *label = qobject_cast<QLabel *>(object))
        label->setText(caption);
    else if (auto *group = qobject_cast<QGroupBox *>(object))
        group->setTitle(caption);
    else
        return false;
    return true;
}

void ApplyAddedRow(const AddedRow &row, const QString &text, QObject *root)
{
    const QString name = QLatin1String(row.control);
    switch (row.kind) {
    case AddedText::Caption:
        SetCaptionByName(root, name, text);
        break;
    case AddedText::Hint:
        for (QObject *object : OwnObjectsNamed(root, name))
            SetHint(object, text);
        break;
    case AddedText::Name:
        for (QObject *object : OwnObjectsNamed(root, name))
            if (auto *widget = qobject_cast<QWidget *>(object))
                widget->setAccessibleName(text);
        break;
    }
}

} // namespace

QString CaptionOf(std::span<const CaptionRow> rows, int language, const QString &control)
{
    if (language < 0 || language >= kLanguageCount)
        return {};
    for (const CaptionRow &row : rows) {
        if (control == QLatin1String(row.control))
            return QString::fromUtf8(row.captions[language]);
    }
    return {};
}

QList<QObject *> OwnObjectsNamed(QObject *root, const QString &objectName)
{
    QList<QObject *> found;
    if (!root || objectName.isEmpty())
        return found;
    if (root->objectName() == objectName)
        found << root;
    CollectOwnObjects(root, objectName, found);
    return found;
}

int SetCaptionByName(QObject *root, const QString &objectName, const QString &caption)
{
    int set = 0;
    for (QObject *object : OwnObjectsNamed(root, objectName))
        set += SetCaption(object, caption) ? 1 : 0;
    return set;
}

QStringList RelabelWindow(int language, std::span<const CaptionRow> captions, std::span<const AddedRow> added,
                          QObject *root)
{
    QStringList missing;
    if (language < 0 || language >= kLanguageCount || !root)
        return missing;
    for (const CaptionRow &row : captions) {
        const QString name = QLatin1String(row.control);
        if (SetCaptionByName(root, name, QString::fromUtf8(row.captions[language])) == 0)
            missing << name;
    }
    for (const AddedRow &row : added)
        ApplyAddedRow(row, QString::fromUtf8(row.texts[language]), root);
    NameControlsAfterLabels(root);
    return missing;
}
