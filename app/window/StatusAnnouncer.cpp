#include "app/window/StatusAnnouncer.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>

namespace {

// The status line; its own class so that screen readers are told it is a notification.
class AnnouncementLabel : public QLabel
{
    Q_OBJECT
public:
    using QLabel::QLabel;
};

class AccessibleAnnouncement : public QAccessibleWidget
{
public:
    explicit AccessibleAnnouncement(QWidget *label) : QAccessibleWidget(label, QAccessible::Notification) {}
    QString text(QAccessible::Text which) const override
    {
        if (which == QAccessible::Name)
            return static_cast<QLabel *>(widget())->text();
        return QAccessibleWidget::text(which);
    }
};

QAccessibleInterface *AnnouncementFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("AnnouncementLabel") && object && object->isWidgetType())
        return new AccessibleAnnouncement(static_cast<QWidget *>(object));
    return nullptr;
}

} // namespace

namespace {

AnnouncementLabel *AnnouncementLine(QMainWindow *window)
{
    static const bool installed = [] {
        QAccessible::installFactory(AnnouncementFactory);
        return true;
    }();
    Q_UNUSED(installed);
    QStatusBar *bar = window->statusBar();
    auto *label = bar->findChild<AnnouncementLabel *>(QStringLiteral("StatusAnnouncement"));
    if (!label) {
        label = new AnnouncementLabel(bar);
        label->setObjectName(QStringLiteral("StatusAnnouncement"));
        label->setFocusPolicy(Qt::NoFocus);
        bar->addPermanentWidget(label, 1);
    }
    return label;
}

} // namespace

void AnnounceStatus(QMainWindow *window, const QString &text)
{
    AnnouncementLabel *label = AnnouncementLine(window);
    // Hidden and shown again, so that a screen reader hears the same text twice too.
    label->hide();
    label->setText(text);
    label->show();
    QAccessibleEvent nameChanged(label, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&nameChanged);
    QAccessibleEvent alert(label, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

void ShowStatusQuietly(QMainWindow *window, const QString &text)
{
    AnnouncementLabel *label = AnnouncementLine(window);
    // Without the alert a screen reader leaves the line unread until asked.
    label->setText(text);
    label->show();
}

#include "StatusAnnouncer.moc"
