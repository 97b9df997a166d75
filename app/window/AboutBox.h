#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class QWidget;

// `AboutBox` ("Parlant de..."): the splash at start and the about window after it.
class AboutBox : public QDialog
{
    Q_OBJECT
public:
    static const char *const kVersionLabel;
    static const char *const kCredits;

    explicit AboutBox(QWidget *parent = nullptr);

    QString VersionText() const;
    // The splash: without its button row, on top, until the start timer fires.
    void ShowAsSplash();
    bool SplashShowing() const;
    // The interface-language index decides the language of the voices' install page.
    void SetLanguageIndex(int index) { m_languageIndex = index; }
    int PictureIndex() const { return m_pictureIndex; }
    void AdvancePicture();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    void EndSplash();
    void ToggleMascot();
    void OpenMakerSite();
    void OpenInstallPage();

    QWidget *m_upperPanel;
    QWidget *m_lowerPanel;
    QLabel *m_name;
    QLabel *m_earOrComputer;
    QLabel *m_version;
    QLabel *m_credits;
    QLabel *m_link;
    QLabel *m_picture;
    QLabel *m_mascot;
    QPlainTextEdit *m_quotes;
    QPushButton *m_ok;
    QTimer *m_startTimer;
    QTimer *m_pictureTimer;
    int m_pictureIndex = 0;
    bool m_ear = false;
    bool m_splash = false;
    int m_languageIndex = 1;
};
