#pragma once

#include <QObject>
#include <QStringList>

// The seven interface languages and the one in use, which every window follows to
// relabel itself. Captions only: voices, messages and tool output keep their language.

inline constexpr int kLanguageCount = 7;

// The main window's property holding the index of the language last applied to it.
inline constexpr char kInterfaceLanguageProperty[] = "interfaceLanguage";

// Row order of the language list; the stored "LLENGUA" value is this index.
enum class InterfaceLanguage { Catala, Castellano, Euskara, Galego, Portugues, English, Francais };

// The list rows: "CATALÀ", "CASTELLANO", "EUSKARA", "GALEGO", "PORTUGUÊS", "ENGLISH", "FRANÇAIS".
QStringList LanguageNames();

// The interface language in use. The windows connect to languageChanged and relabel
// themselves from their own caption rows; the language window applies the user's choice.
class InterfaceLanguageModel : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // The language last applied, -1 before the first.
    int Language() const { return m_language; }
    // Makes `language` the one in use and tells the windows, also when it already was:
    // they relabel themselves again. An index outside 0..6 changes nothing and gives false.
    bool Apply(int language);

signals:
    void languageChanged(int language);

private:
    int m_language = -1;
};
