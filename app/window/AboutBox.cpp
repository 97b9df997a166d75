#include "app/window/AboutBox.h"

#include "core/Version.h"

#include <QDesktopServices>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

const char *const AboutBox::kVersionLabel = "Versió - " TOLVANET_VERSION " - " TOLVANET_RELEASE_DATE;
const char *const AboutBox::kCredits = "Programa lliure per a lectors i escoles";

namespace {

const int kWidth = 303;
const int kHeight = 409;
const int kButtonRow = 28;

const char *const kMakerSite = "https://www.debian.org/";
const char *const kInstallPageEnglish = "https://github.com/espeak-ng/espeak-ng/blob/master/docs/guide.md";
const char *const kInstallPageSpanish = "https://wiki.debian.org/es/Accessibility";

struct Picture
{
    const char *text;
    const char *style;
};

// The lower panel's cycle: project logo, maker's logo, a quotation, a dedication.
const Picture kPictures[] = {
    {"Tolvanet\nCorvalida", "background:#1f4e79;color:white;font:bold 22px;"},
    {"Fet amb\nprogramari lliure", "background:#d6e4f0;color:#1f4e79;font:bold 18px;"},
    {"«Llegir és\nescoltar amb els ulls»", "background:#fff4d6;color:#5a3e00;font:italic 16px;"},
    {"Per a tots els\nalumnes que escolten", "background:#e3f1e0;color:#1e5b1a;font:16px;"},
};

} // namespace

AboutBox::AboutBox(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("Parlant de..."));
    setFixedSize(kWidth, kHeight);
    setWindowFlag(Qt::WindowStaysOnTopHint, true);

    auto *layout = new QVBoxLayout(this);
    m_upperPanel = new QWidget(this);
    auto *upper = new QVBoxLayout(m_upperPanel);
    m_name = new QLabel(QStringLiteral("Tolvanet Corvalida"), m_upperPanel);
    m_name->setStyleSheet(QStringLiteral("font: bold 20px;"));
    m_name->setCursor(Qt::PointingHandCursor);
    m_earOrComputer = new QLabel(m_upperPanel);
    m_earOrComputer->setObjectName(QStringLiteral("EarOrComputerPicture"));
    m_version = new QLabel(QString::fromUtf8(kVersionLabel), m_upperPanel);
    m_credits = new QLabel(QString::fromUtf8(kCredits), m_upperPanel);
    m_credits->setWordWrap(true);
    m_credits->setCursor(Qt::PointingHandCursor);
    m_link = new QLabel(QStringLiteral("How to install Microsoft Speech Platform Text to Speech Synthesizers?"),
                        m_upperPanel);
    m_link->setWordWrap(true);
    m_link->setStyleSheet(QStringLiteral("color: blue; text-decoration: underline;"));
    m_link->setCursor(Qt::PointingHandCursor);
    for (QLabel *label : {m_name, m_earOrComputer, m_version, m_credits, m_link})
        upper->addWidget(label);
    layout->addWidget(m_upperPanel);

    m_lowerPanel = new QWidget(this);
    auto *lower = new QVBoxLayout(m_lowerPanel);
    m_picture = new QLabel(m_lowerPanel);
    m_picture->setAlignment(Qt::AlignCenter);
    m_picture->setMinimumHeight(140);
    m_picture->setCursor(Qt::PointingHandCursor);
    lower->addWidget(m_picture);
    layout->addWidget(m_lowerPanel);

    m_mascot = new QLabel(QStringLiteral("🦉"), this);
    m_mascot->setAccessibleName(QStringLiteral("Un mussol, la mascota"));
    m_mascot->setAlignment(Qt::AlignCenter);
    m_mascot->setStyleSheet(QStringLiteral("font-size: 160px;"));
    m_mascot->hide();
    layout->addWidget(m_mascot);

    m_quotes = new QPlainTextEdit(this);
    m_quotes->setReadOnly(true);
    m_quotes->setAccessibleName(QStringLiteral("Cites"));
    m_quotes->setPlainText(QStringLiteral(
        "«El que escoltes ho oblides; el que veus ho recordes; el que fas ho aprens.»\n"
        "«Una veu que llegeix obre una porta.»"));
    m_quotes->hide();
    layout->addWidget(m_quotes);

    m_ok = new QPushButton(QStringLiteral("D'acord"), this);
    m_ok->setObjectName(QStringLiteral("OKButton"));
    m_ok->setDefault(true);
    layout->addWidget(m_ok, 0, Qt::AlignHCenter);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);

    for (QWidget *widget : {static_cast<QWidget *>(m_upperPanel), static_cast<QWidget *>(m_lowerPanel),
                            static_cast<QWidget *>(m_name), static_cast<QWidget *>(m_version),
                            static_cast<QWidget *>(m_credits), static_cast<QWidget *>(m_link),
                            static_cast<QWidget *>(m_picture), static_cast<QWidget *>(m_mascot)})
        widget->installEventFilter(this);

    m_startTimer = new QTimer(this);
    m_startTimer->setInterval(2000);
    m_startTimer->setSingleShot(true);
    connect(m_startTimer, &QTimer::timeout, this, &AboutBox::EndSplash);
    m_pictureTimer = new QTimer(this);
    m_pictureTimer->setInterval(3500);
    connect(m_pictureTimer, &QTimer::timeout, this, &AboutBox::AdvancePicture);

    m_pictureIndex = 3;
    m_ear = true;
    AdvancePicture(); // the project logo and the computer at first
}

QString AboutBox::VersionText() const
{
    return m_version->text();
}

void AboutBox::AdvancePicture()
{
    m_pictureIndex = (m_pictureIndex + 1) % 4;
    const Picture &picture = kPictures[m_pictureIndex];
    m_picture->setText(QString::fromUtf8(picture.text));
    m_picture->setStyleSheet(QString::fromUtf8(picture.style));
    m_picture->setAccessibleName(m_picture->text());
    m_ear = !m_ear;
    const QIcon icon = style()->standardIcon(m_ear ? QStyle::SP_MediaVolume : QStyle::SP_ComputerIcon);
    m_earOrComputer->setPixmap(icon.pixmap(32, 32));
    // A picture is announced by what it shows.
    m_earOrComputer->setAccessibleName(m_ear ? QStringLiteral("Una orella") : QStringLiteral("Un ordinador"));
}

void AboutBox::ShowAsSplash()
{
    m_splash = true;
    m_ok->hide();
    setFixedSize(kWidth, kHeight - kButtonRow);
    // Shown without taking the activation: a screen reader would announce a dialog with
    // nothing focused at every start.
    setAttribute(Qt::WA_ShowWithoutActivating, true);
    setWindowFlag(Qt::WindowDoesNotAcceptFocus, true);
    show();
    m_pictureTimer->stop();
    m_startTimer->start();
}

bool AboutBox::SplashShowing() const
{
    return m_splash;
}

void AboutBox::EndSplash()
{
    m_startTimer->stop();
    m_splash = false;
    hide();
    setAttribute(Qt::WA_ShowWithoutActivating, false);
    setWindowFlag(Qt::WindowDoesNotAcceptFocus, false);
    setFixedSize(kWidth, kHeight);
    m_ok->show();
    setWindowFlag(Qt::WindowStaysOnTopHint, false);
}

void AboutBox::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_splash)
        m_pictureTimer->start();
}

void AboutBox::hideEvent(QHideEvent *event)
{
    m_pictureTimer->stop();
    QDialog::hideEvent(event);
}

void AboutBox::ToggleMascot()
{
    const bool showMascot = !m_mascot->isVisible();
    m_mascot->setVisible(showMascot);
    m_upperPanel->setVisible(!showMascot);
    m_lowerPanel->setVisible(!showMascot);
}

void AboutBox::OpenMakerSite()
{
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(kMakerSite)));
}

void AboutBox::OpenInstallPage()
{
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(m_languageIndex > 3 ? kInstallPageEnglish
                                                                           : kInstallPageSpanish)));
}

bool AboutBox::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::MouseButtonRelease)
        return QDialog::eventFilter(watched, event);
    if (watched == m_picture)
        AdvancePicture();
    else if (watched == m_upperPanel || watched == m_version || watched == m_mascot)
        ToggleMascot();
    else if (watched == m_lowerPanel)
        m_quotes->setVisible(!m_quotes->isVisible());
    else if (watched == m_name || watched == m_credits)
        OpenMakerSite();
    else if (watched == m_link)
        OpenInstallPage();
    else
        return QDialog::eventFilter(watched, event);
    return true;
}

void AboutBox::mousePressEvent(QMouseEvent *event)
{
    m_quotes->setVisible(!m_quotes->isVisible());
    QDialog::mousePressEvent(event);
}
