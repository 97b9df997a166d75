#include "export/AudioExportProtocol.h"

#include "core/TextEncoding.h"
#include "engines/SynthesizerMissingText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

#include <array>
#include <cerrno>
#include <limits>
#include <signal.h>

SapiRecorder SapiRecorderOf(const VoiceCatalog::Voice &voice)
{
    const QString &module = voice.module;
    if (module.startsWith(QLatin1String("espeak"), Qt::CaseInsensitive) && !module.contains(QLatin1String("mbrola")))
        return SapiRecorder::Espeak;
    if (module == QLatin1String("flite") && kFliteVoices.contains(voice.identifier))
        return SapiRecorder::Flite;
    // festival's voice names go into its Scheme: only plain ones are asked for.
    static const QRegularExpression plainName(QStringLiteral("^[A-Za-z0-9_]{1,100}$"));
    if (module == QLatin1String("festival") && plainName.match(voice.identifier).hasMatch()
        && (voice.identifier == kFestivalOnaVoice
                ? UpctvRenderingProblem({ExportFamily::Upctv, VoiceCatalog::kUpctvOnaEntry}).isEmpty()
                : !QStandardPaths::findExecutable(QStringLiteral("festival")).isEmpty()))
        return SapiRecorder::Festival;
    return SapiRecorder::EspeakOfLanguage;
}

QString ExportVoiceSubstitution(const ExportVoice &voice, const QString &voiceName,
                                const VoiceCatalog::Voice *sapiVoice)
{
    if (voice.family != ExportFamily::Sapi)
        return QString();
    if (sapiVoice && SapiRecorderOf(*sapiVoice) != SapiRecorder::EspeakOfLanguage)
        return QString();
    const QString name = voiceName.isEmpty() ? QStringLiteral("SAPI %1").arg(voice.index) : voiceName;
    const QList<VoiceCatalog::Voice> espeak = VoiceCatalog::EspeakVoices();
    const int instead = VoiceCatalog::EspeakVoiceForLanguage(espeak, sapiVoice ? sapiVoice->language : QString());
    if (instead < 0)
        return QStringLiteral("La veu «%1» no es pot desar en un fitxer i cap veu d'espeak-ng no parla la seva "
                              "llengua: no es farà el fitxer de so.").arg(name);
    return QStringLiteral("La veu «%1» no es pot desar en un fitxer: el fitxer de so es fa amb la veu d'espeak-ng "
                          "«%2», de la mateixa llengua.").arg(name, espeak.at(instead).description);
}

QString UpctvRenderingProblem(const ExportVoice &voice, int language)
{
    if (voice.family != ExportFamily::Upctv)
        return QString();
    if (voice.index < 0 || voice.index >= VoiceCatalog::kUpctvEntryCount)
        return QStringLiteral("No hi ha cap veu UPCTV %1: no s'ha creat cap fitxer de so.").arg(voice.index);
    // The Catalan woman speaks with festival's ona; the other three with espeak-ng.
    static const QString kOnaVoice =
        QStringLiteral("/usr/share/festival/voices/catalan/upc_ca_ona_hts/festvox/upc_ca_ona_hts.scm");
    if (voice.index != VoiceCatalog::kUpctvOnaEntry
        || (!QStandardPaths::findExecutable(QStringLiteral("festival")).isEmpty() && QFileInfo::exists(kOnaVoice)))
        return QString();
    // Languages in list order: CATALÀ, CASTELLANO, EUSKARA, GALEGO, PORTUGUÊS, ENGLISH, FRANÇAIS.
    static constexpr std::array<const char *, kSynthesizerMissingLanguages> kNoSoundFile = {
        "No s'ha creat cap fitxer de so.",
        "No se ha creado ningún archivo de sonido.",
        "Ez da soinu fitxategirik sortu.",
        "Non se creou ningún ficheiro de son.",
        "Não foi criado nenhum ficheiro de som.",
        "No sound file was made.",
        "Aucun fichier son n'a été créé.",
    };
    return SynthesizerMissingText(language) + QLatin1Char(' ') + QString::fromUtf8(kNoSoundFile[LanguageRow(language)]);
}

QString UpctvTextTooLong(const ExportVoice &voice, qsizetype length, int language)
{
    if (voice.family != ExportFamily::Upctv || voice.index != VoiceCatalog::kUpctvOnaEntry || length <= kLongestOnaText)
        return QString();
    // Languages in list order: CATALÀ, CASTELLANO, EUSKARA, GALEGO, PORTUGUÊS, ENGLISH, FRANÇAIS.
    static constexpr std::array<const char *, kSynthesizerMissingLanguages> kTooLong = {
        "El text és massa llarg per desar-lo amb la veu UPCTV - Dona - Català: té %1 caràcters i n'hi caben %2. "
        "Deseu-lo en parts. No s'ha creat cap fitxer de so.",
        "El texto es demasiado largo para guardarlo con la voz UPCTV - Dona - Català: tiene %1 caracteres y caben %2. "
        "Guárdelo en partes. No se ha creado ningún archivo de sonido.",
        "Testua luzeegia da UPCTV - Dona - Català ahotsarekin gordetzeko: %1 karaktere ditu eta %2 sartzen dira. "
        "Gorde zatika. Ez da soinu fitxategirik sortu.",
        "O texto é demasiado longo para gardalo coa voz UPCTV - Dona - Català: ten %1 caracteres e caben %2. "
        "Gárdeo en partes. Non se creou ningún ficheiro de son.",
        "O texto é demasiado longo para o guardar com a voz UPCTV - Dona - Català: tem %1 caracteres e cabem %2. "
        "Guarde-o em partes. Não foi criado nenhum ficheiro de som.",
        "The text is too long to save with the voice UPCTV - Dona - Català: it has %1 characters and %2 fit. "
        "Save it in parts. No sound file was made.",
        "Le texte est trop long pour l'enregistrer avec la voix UPCTV - Dona - Català : il a %1 caractères et %2 "
        "tiennent. Enregistrez-le en plusieurs parties. Aucun fichier son n'a été créé.",
    };
    return QString::fromUtf8(kTooLong[LanguageRow(language)]).arg(length).arg(kLongestOnaText);
}

QString FamilyKeyText(ExportFamily family)
{
    switch (family) {
    case ExportFamily::Msp:
        return QStringLiteral("MSP");
    case ExportFamily::Sapi:
        return QStringLiteral("SAPI");
    case ExportFamily::Upctv:
        break;
    }
    return QStringLiteral("UPCTV");
}

std::optional<ExportFamily> FamilyFromKeyText(const QString &text)
{
    if (text == QLatin1String("MSP"))
        return ExportFamily::Msp;
    if (text == QLatin1String("SAPI"))
        return ExportFamily::Sapi;
    if (text == QLatin1String("UPCTV"))
        return ExportFamily::Upctv;
    return std::nullopt;
}

QString EscapeExchangeText(const QString &text)
{
    QString escaped;
    escaped.reserve(text.size() + text.size() / 16);
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\\')
            escaped += QLatin1String("\\\\");
        else if (u == u'\n')
            escaped += QLatin1String("\\n");
        else if (u == u'\r')
            escaped += QLatin1String("\\r");
        else if (u < 0x20 || u == 0x7f)
            escaped += QStringLiteral("\\x%1").arg(int(u), 2, 16, QLatin1Char('0'));
        else
            escaped += c;
    }
    // The settings file drops blanks around a value; a blank at either end is kept escaped.
    if (escaped.startsWith(QLatin1Char(' ')))
        escaped.replace(0, 1, QStringLiteral("\\x20"));
    if (escaped.endsWith(QLatin1Char(' ')))
        escaped.replace(escaped.size() - 1, 1, QStringLiteral("\\x20"));
    return escaped;
}

QString UnescapeExchangeText(const QString &text)
{
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\\') || i + 1 >= text.size()) {
            plain += c;
            continue;
        }
        const QChar next = text.at(i + 1);
        if (next == QLatin1Char('\\')) {
            plain += QLatin1Char('\\');
            ++i;
        } else if (next == QLatin1Char('n')) {
            plain += QLatin1Char('\n');
            ++i;
        } else if (next == QLatin1Char('r')) {
            plain += QLatin1Char('\r');
            ++i;
        } else if (next == QLatin1Char('x') && i + 3 < text.size()) {
            bool ok = false;
            const int code = text.mid(i + 2, 2).toInt(&ok, 16);
            if (ok) {
                plain += QChar(code);
                i += 3;
            } else {
                plain += c;
            }
        } else {
            // Not one of ours: kept as it stands.
            plain += c;
        }
    }
    return plain;
}

QString ExportProtocol::RendererWindowTitle(const QString &exchangeFile)
{
    return kRendererTitle + QStringLiteral("Tolvanet Corvalida [%1]").arg(QFileInfo(exchangeFile).absoluteFilePath());
}

void RemoveLeftoversOfEndedExports(const QString &recordsDir)
{
    // ".Sonnerix-words-PID.txt", ".Sonnerix-mp3-PID.wav": each named after the process
    // that made it, which removes it when it ends as it should.
    static const QRegularExpression own(QStringLiteral("^\\.Sonnerix-[a-z0-9]+-([0-9]+)\\.[a-z0-9.]+$"));
    const QDir records(recordsDir);
    for (const QString &name : records.entryList({QStringLiteral(".Sonnerix-*")}, QDir::Files | QDir::Hidden)) {
        const QRegularExpressionMatch match = own.match(name);
        bool ok = false;
        const qint64 pid = match.hasMatch() ? match.captured(1).toLongLong(&ok) : 0;
        if (!ok || pid <= 0 || pid > std::numeric_limits<pid_t>::max())
            continue;
        if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
            QFile::remove(records.filePath(name));
    }
}

QString SoundFileNameOf(const QString &typed)
{
    return typed.trimmed();
}

QString SoundFileNameOfDocument(const QString &documentPath)
{
    // The dots before the extension would give the recording a "..".
    QString base = SoundFileNameOf(QFileInfo(documentPath).completeBaseName());
    while (base.endsWith(QLatin1Char('.')))
        base.chop(1);
    return SoundFileNameOf(base);
}

bool IsUsableSoundFileName(const QString &name)
{
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name.contains(QLatin1String("..")))
        return false;
    // The recording and its subtitles add ".wav", ".srt" and the like: a final "." would
    // give them a ".." that the rendering program refuses.
    if (name.endsWith(QLatin1Char('.')))
        return false;
    for (const QChar c : name)
        if (c.category() == QChar::Other_Control)
            return false;
    constexpr int kLongestFileName = 255;
    return QFile::encodeName(name + QLatin1String(".wav.mp3")).size() <= kLongestFileName;
}

ExportControls ExportControlsFor(const QString &name, bool exporting)
{
    const bool usable = !exporting && IsUsableSoundFileName(SoundFileNameOf(name));
    return {usable, usable, usable, !exporting};
}

QByteArray TextFileContents(const QString &text)
{
    if (text.isEmpty())
        return {};
    QString lines = text;
    lines.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    if (!text.endsWith(QLatin1Char('\n')))
        lines += QLatin1String("\r\n");
    return TextEncoding::EncodePreferWindows1252(lines);
}

int RateFromSpeedText(const QString &text)
{
    bool ok = false;
    const int rate = text.trimmed().toInt(&ok, 10);
    return ok ? qBound(-10, rate, 10) : 0;
}

QByteArray WordTimesFileContents(const WordTimes &times)
{
    QByteArray contents;
    contents.reserve(times.marks.size() * 20 + 16);
    for (const VoiceCatalog::SpokenMark &mark : times.marks) {
        if (mark.kind == VoiceCatalog::SpokenMark::Kind::Word)
            contents += "W " + QByteArray::number(mark.ms) + ' ' + QByteArray::number(mark.position) + ' '
                        + QByteArray::number(mark.length) + '\n';
        else
            contents += "S " + QByteArray::number(mark.ms) + ' ' + QByteArray::number(mark.position) + '\n';
    }
    contents += "E " + QByteArray::number(times.soundMs) + '\n';
    return contents;
}

std::optional<WordTimes> ParseWordTimes(const QByteArray &contents)
{
    WordTimes times;
    bool ended = false;
    for (const QByteArray &line : contents.split('\n')) {
        if (line.isEmpty())
            continue;
        if (ended)
            return std::nullopt;
        const QList<QByteArray> fields = line.split(' ');
        QList<qint64> numbers;
        for (qsizetype i = 1; i < fields.size(); ++i) {
            bool ok = false;
            const qint64 number = fields.at(i).toLongLong(&ok);
            if (!ok || number < 0)
                return std::nullopt;
            numbers << number;
        }
        const QByteArray kind = fields.constFirst();
        VoiceCatalog::SpokenMark mark;
        if (kind == "W" && numbers.size() == 3) {
            mark = {VoiceCatalog::SpokenMark::Kind::Word, numbers.at(1), numbers.at(2), numbers.at(0)};
        } else if (kind == "S" && numbers.size() == 2) {
            mark = {VoiceCatalog::SpokenMark::Kind::Sentence, numbers.at(1), 0, numbers.at(0)};
        } else if (kind == "E" && numbers.size() == 1) {
            times.soundMs = numbers.at(0);
            ended = true;
            continue;
        } else {
            return std::nullopt;
        }
        times.marks << mark;
    }
    if (!ended)
        return std::nullopt;
    return times;
}
