// Everything the program says, read into kana and then through eSpeak NG's
// Japanese voice (the voice a stock Debian installs): not one word may fall
// back to English or to "Japanese letter". The texts are collected by walking
// the real windows, so a text added later is checked too.

#include "AppFixture.h"
#include "ModalHelper.h"
#include "ModuleClient.h"
#include "WindowControls.h"
#include "selfvoicing/ReaderPhrasing.h"
#include "selfvoicing/WidgetQuery.h"
#include "app/AppSetup.h"
#include "app/FormSupport.h"
#include "codec/Cp932Codec.h"
#include "platform/linux/dictionary/MecabWordReadings.h"
#include "providers/ProviderTable.h"
#include "providers/ServerDerivation.h"
#include "reading/KanaReading.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QMenuBar>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QLineEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

using namespace Qt::StringLiterals;

namespace
{

const QChar Sep(0xF8F2);

// What eSpeak NG makes of a text, as phonemes. A fallback shows as a switch
// to English "(en)"; its letter names as "l'et@".
QString phonemes(const QString& text)
{
    QProcess espeak;
    espeak.start(u"espeak-ng"_s, {u"-q"_s, u"-v"_s, u"ja"_s, u"-x"_s, u"--stdin"_s});
    if (!espeak.waitForStarted(10000))
        return u"<espeak-ng does not start>"_s;
    espeak.write(text.toUtf8());
    espeak.closeWriteChannel();
    if (!espeak.waitForFinished(60000))
        return u"<espeak-ng does not finish>"_s;
    return QString::fromUtf8(espeak.readAllStandardOutput());
}

int fallbacks(const QString& phonemeText)
{
    return int(phonemeText.count(u"(en)"_s) + phonemeText.count(u"l'et@"_s));
}

// As the speech back end puts it on the wire: the separator is a Japanese comma.
QString asSpoken(QString text)
{
    return text.replace(Sep, u'、');
}

// Two spellings of one sound count as one: a blank is no sound, and オウ/エイ
// are said as オー/エー.
QString soundKey(const QString& kana)
{
    static const QString oRow = u"オコゴソゾトドノホボポモヨロョォ"_s;
    static const QString eRow = u"エケゲセゼテデネヘベペメレェ"_s;
    QString out;
    for (const QChar c : kana) {
        if (c == u' ')
            continue;
        if (!out.isEmpty() && ((c == u'ウ' && oRow.contains(out.back())) || (c == u'イ' && eRow.contains(out.back()))))
            out += u'ー';
        else
            out += c;
    }
    return out;
}

} // namespace

class tst_SpokenReading : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void everyTextIsSaidInJapanese();
    void mainWindowReadsAsWrittenByHand_data();
    void mainWindowReadsAsWrittenByHand();
    void everyCp932CharacterIsRead();
    void anyTextReadsAsKanaOnly();
    void openJTalkSpellsNoWord();

private:
    static QStringList cp932Characters();
    QStringList walkTheWindows();
    static QStringList readerTexts(FormSupport& f);
    static QStringList typicalValues();

    std::unique_ptr<KanaReading> m_reading;
    QStringList m_spoken;
};

void tst_SpokenReading::initTestCase()
{
    QVERIFY2(!QStandardPaths::findExecutable(u"espeak-ng"_s).isEmpty(), "espeak-ng is not installed");
    m_reading = std::make_unique<KanaReading>(MecabWordReadings::open());
    QVERIFY2(m_reading->hasDictionary(), "the MeCab IPA dictionary is not installed");
    m_spoken = walkTheWindows();
    m_spoken.removeDuplicates();
    if (qEnvironmentVariableIsSet("VX_SHOW_SPOKEN"))
        for (const QString& text : std::as_const(m_spoken))
            qInfo("%s => %s", qPrintable(text), qPrintable(m_reading->read(text)));
}

void tst_SpokenReading::cleanupTestCase()
{
    m_reading.reset();
}

// Every control of every window gets the focus; each provider's sample is
// loaded and its fields and guide text are announced.
QStringList tst_SpokenReading::walkTheWindows()
{
    AppFixture app;
    if (!app.start())
        return {};
    FormSupport& f = app.form();
    const WindowControls ui(&f);
    const auto tabRound = [] {
        for (int i = 0; i < 14; ++i)
            AppFixture::key(Qt::Key_Tab);
        AppFixture::settle();
    };
    tabRound();

    ui.edit("txtName")->setFocus(Qt::OtherFocusReason);
    AppFixture::settle();
    AppFixture::key(Qt::Key_F1);
    AppFixture::settle();
    AppFixture::key(Qt::Key_Escape);
    AppFixture::settle();

    app.messageBox->nextAnswer = MessageBox::Answer::Yes;
    for (int provider = 0; provider < ProviderCount; ++provider) {
        ui.list("Combo1")->setCurrentIndex(provider);
        f.Sanko();
        ui.edit("txtName")->setFocus(Qt::OtherFocusReason);
        AppFixture::settle();
        tabRound();
    }

    // The advanced dialog: every control, then an OK it refuses, so that the
    // refusal is said too.
    ModalHelper kodo([](QWidget* dialog) {
        // Fields behind a check box take the focus only while it is on.
        for (const QString& name : {u"zPopStock"_s, u"zPopWarning"_s, u"zReplyUser"_s}) {
            if (auto* box = dialog->findChild<QCheckBox*>(name))
                box->setChecked(true);
        }
        for (int i = 0; i < 22; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCoreApplication::processEvents();
        }
        auto* warning = dialog->findChild<QCheckBox*>(u"zPopWarning"_s);
        auto* size = dialog->findChild<QLineEdit*>(u"zPopWarningSize"_s);
        if (warning && size) {
            warning->setChecked(false);
            size->setText(u"99999999999"_s);
        }
        if (auto* ok = dialog->findChild<QPushButton*>(u"Command1"_s))
            ok->click();
        QCoreApplication::processEvents();
        static_cast<QDialog*>(dialog)->reject();
    });
    f.Command2_Click();

    ModalHelper about([](QWidget* dialog) { static_cast<QDialog*>(dialog)->accept(); });
    f.mnu_help_ver_Click();
    AppFixture::settle();

    // The boxes the program can show: without a screen reader, the program
    // reads them aloud itself.
    f.Command5_Click();
    app.standardDialog->answers = {u"/nonexistent/missing.acd"_s};
    f.mnu_file_open_Click();
    app.driveTypes->driveList.clear();
    f.mnu_file_fdopen_Click();
    app.fileSystem->failCall(FaultyFileSystem::Step::Create, 1);
    app.standardDialog->answers = {QDir::temp().filePath(u"vx-spoken-never-written.acd"_s)};
    f.mnu_file_save_Click();

    QStringList spoken;
    for (const QString& call : app.calls()) {
        if (call.startsWith(u"Speak:"_s))
            spoken << call.mid(6);
    }
    for (const FakeMessageBox::Shown& box : std::as_const(app.messageBox->shown))
        spoken << box.title << box.text;
    return spoken + readerTexts(f);
}

// What the program's reader says beyond the windows' own words: the menus,
// and the words of Qt's boxes and file dialog in Qt's Japanese translation.
QStringList tst_SpokenReading::readerTexts(FormSupport& f)
{
    installJapaneseTranslation(*qApp);
    QStringList texts;
    const auto menus = f.menuBar()->actions();
    for (QAction* menu : menus) {
        texts << WidgetQuery::action(menu);
        const auto entries = menu->menu()->actions();
        for (QAction* entry : entries) {
            if (!entry->isSeparator())
                texts << WidgetQuery::action(entry);
        }
    }
    QMessageBox box(QMessageBox::Warning, u"t"_s, u"t"_s,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Ok | QMessageBox::Cancel);
    const auto buttons = box.buttons();
    for (QAbstractButton* button : buttons)
        texts << WidgetQuery::control(button);

    QTemporaryDir folder;
    for (const auto mode : {QFileDialog::AcceptOpen, QFileDialog::AcceptSave}) {
        QFileDialog dialog(nullptr, u"t"_s, folder.path());
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        dialog.setAcceptMode(mode);
        dialog.setNameFilters({u"VORNIXアカウントデータ (*.acd)"_s});
        const auto controls = dialog.findChildren<QWidget*>();
        for (QWidget* control : controls) {
            if (control->focusPolicy() & Qt::TabFocus)
                texts << WidgetQuery::control(control);
        }
    }
    texts << ReaderPhrasing::entry(u"sub"_s, true);
    texts.removeAll(QString());
    return texts;
}

// Values a supporter types or loads: names in kanji and kana, each
// provider's address with the servers and ID derived from it, IDs, ports and
// passwords with symbols.
QStringList tst_SpokenReading::typicalValues()
{
    QStringList values = {u"山田太郎"_s, u"やまだ たろう"_s, u"ヤマダ　タロウ"_s, u"髙橋 一郎"_s,
                          u"佐々木ｹﾝｲﾁ"_s, u"John Smith"_s, u"abc12345"_s, u"ABC12345"_s, u"taro_01"_s,
                          u"110"_s, u"25"_s, u"995"_s, u"587"_s, u"76"_s, u"pa$$w0rd!"_s,
                          u"P@ss-word_99"_s, u"<tag>&amp;"_s, u"~tilde~"_s, u"a(b)c"_s, u"①②③"_s,
                          u"～ー－"_s, u"\"quoted\" 'x'"_s, u"#%^*+=|\\/:;?,`{}[]"_s, u"ＡＢＣ１２３"_s,
                          dionAccountNotice()};
    const QStringList labels = {u""_s, u"xy."_s, u"abc."_s, u"da."_s, u"pb."_s, u"od."_s};
    for (int p = 0; p < ProviderCount; ++p) {
        const QString address = u"taro@"_s + labels.at(p) + providerTable()[p].MailDomain;
        const ServerDerivation d = deriveServers(address);
        values << address << d.pop << d.smtp << d.id;
    }
    values.removeAll(QString());
    return values;
}

void tst_SpokenReading::everyTextIsSaidInJapanese()
{
    // At least every announcement of the main window, the guide and help
    // panes, six samples, the advanced dialog and the version dialog.
    QVERIFY2(m_spoken.size() >= 40, qPrintable(QString::number(m_spoken.size())));
    QStringList texts = m_spoken;
    for (const QString& value : typicalValues())
        texts << u"メールパスワードは"_s + Sep + value;

    int before = 0;
    int textsBefore = 0;
    int switchesBefore = 0;
    int after = 0;
    QStringList faults;
    for (const QString& text : std::as_const(texts)) {
        const QString written = phonemes(asSpoken(text));
        before += fallbacks(written);
        textsBefore += fallbacks(written) > 0;
        switchesBefore += int(written.count(u"(en)"_s));
        const QString reading = m_reading->read(text);
        const QString heard = phonemes(asSpoken(reading));
        const int n = fallbacks(heard);
        after += n;
        if (n > 0)
            faults << text + u" -> "_s + reading + u" -> "_s + heard;
    }
    qInfo("%lld texts, %lld characters; as written: %d texts with fallbacks, %d switches to English, %d fallback "
          "marks; after the kana reading: %d",
          static_cast<long long>(texts.size()), static_cast<long long>(texts.join(QString()).size()), textsBefore,
          switchesBefore, before, after);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
    QCOMPARE(after, 0);
}

void tst_SpokenReading::mainWindowReadsAsWrittenByHand_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("reading");
    // Written by ear, not taken from the program. Brackets are no sound.
    const struct {
        const char16_t* text;
        const char16_t* reading;
    } rows[] = {
        {u"差出人の名前は\uF8F2未登録", u"サシダシニンノナマエワ、ミトーロク"},
        {u"メールアドレスは\uF8F2未登録", u"メールアドレスワ、ミトーロク"},
        {u"ポップ受信サーバーは\uF8F2未登録", u"ポップジュシンサーバーワ、ミトーロク"},
        {u"SMTP送信サーバーは\uF8F2未登録", u"エスエムティーピーソーシンサーバーワ、ミトーロク"},
        {u"メールIDまたは、ポップアカウントは\uF8F2未登録", u"メールアイディーマタワ、ポップアカウントワ、ミトーロク"},
        {u"メールパスワードは\uF8F2未登録", u"メールパスワードワ、ミトーロク"},
        {u"アドレスから自動的にサーバー情報を取り込む\uF8F2Enterは取り込み Tabは次へ",
         u"アドレスカラジドーテキニサーバージョーホーオトリコム、エンターワトリコミ タブワツギエ"},
        {u"すべてクリアのプッシュボタン\uF8F2Enterはクリア Tabは次へ",
         u"スベテクリアノプッシュボタン、エンターワクリア タブワツギエ"},
        {u"高度な設定のプッシュボタン\uF8F2Enterは高度な設定 Tabは次へ",
         u"コードナセッテーノプッシュボタン、エンターワコードナセッテー タブワツギエ"},
        {u"参考に読み込むのプッシュボタン\uF8F2Enterは参照 Tabは次へ",
         u"サンコーニヨミコムノプッシュボタン、エンターワサンショー タブワツギエ"},
        {u"IEで閲覧するのプッシュボタン\uF8F2Enterは閲覧 Tabは次へ",
         u"アイイーデエツランスルノプッシュボタン、エンターワエツラン タブワツギエ"},
        {u"参照用プロバイダの選択", u"サンショーヨープロバイダノセンタク"},
        {u"閲覧用プロバイダの選択", u"エツランヨープロバイダノセンタク"},
        {u"説明ウインド", u"セツメーウインド"},
        {u"詳細ヘルプウインド", u"ショーサイヘルプウインド"},
        {u"パス", u"パス"},
        {u"@nifty(富士通)", u"アットニフティ フジツー"},
        {u"biglobe(NEC)", u"ビッグローブ エヌイーシー"},
        {u"OCN(NTT)", u"オーシーエヌ エヌティーティー"},
        {u"DION(KDDI)", u"ディオン ケーディーディーアイ"},
        {u"So-net(SONY)", u"ソーネット ソニー"},
        {u"ODN(日本テレコム)", u"オーディーエヌ ニホンテレコム"},
    };
    for (const auto& row : rows)
        QTest::newRow(qPrintable(QString::fromUtf16(row.text).section(Sep, 0, 0)))
            << QString::fromUtf16(row.text) << QString::fromUtf16(row.reading);
}

void tst_SpokenReading::mainWindowReadsAsWrittenByHand()
{
    QFETCH(QString, text);
    QFETCH(QString, reading);
    // The row is a text the program really says (the guide announcement
    // begins with its title).
    const bool said = std::any_of(m_spoken.cbegin(), m_spoken.cend(),
                                  [&](const QString& s) { return s == text || s.startsWith(text + Sep); });
    QVERIFY2(said, qPrintable(text));
    QCOMPARE(soundKey(asSpoken(m_reading->read(text))), soundKey(reading));
}

// Every character the account file can hold.
QStringList tst_SpokenReading::cp932Characters()
{
    QStringList characters;
    for (int lead = 0x21; lead <= 0xFC; ++lead) {
        const bool doubleByte = (lead >= 0x81 && lead <= 0x9F) || lead >= 0xE0;
        if (!doubleByte) {
            if (lead == 0x7F || (lead >= 0x80 && lead <= 0xA0))
                continue;
            const QString c = Cp932Codec::decode(QByteArray(1, char(lead)));
            if (c.size() == 1 && !c.at(0).isSpace() && c != u"\uFFFD"_s)
                characters << c;
            continue;
        }
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            const char pair[2] = {char(lead), char(trail)};
            const QString c = Cp932Codec::decode(QByteArray(pair, 2));
            if (c.size() == 1 && c != u"\uFFFD"_s)
                characters << c;
        }
    }
    characters.removeDuplicates();
    return characters;
}

void tst_SpokenReading::everyCp932CharacterIsRead()
{
    // Each as a text of its own.
    const QStringList characters = cp932Characters();
    QVERIFY(characters.size() > 7000);

    QStringList readings;
    for (const QString& c : std::as_const(characters)) {
        const QString reading = m_reading->read(c);
        QVERIFY2(!reading.trimmed().isEmpty() || c.trimmed().isEmpty(), qPrintable(c));
        readings << reading;
    }
    // One run of the voice over all of them; only a fault is looked at
    // character by character.
    if (fallbacks(phonemes(readings.join(u'\n'))) > 0) {
        QStringList faults;
        for (qsizetype i = 0; i < characters.size(); ++i) {
            if (fallbacks(phonemes(readings.at(i))) > 0)
                faults << characters.at(i) + u" -> "_s + readings.at(i);
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
    }
}

namespace
{

// The pauses a text is written with; any other control character is named.
bool endsPhrase(QChar c)
{
    return c == Sep || c == u'\r' || c == u'\n';
}

QString phraseEnds(const QString& text)
{
    QString ends;
    for (const QChar c : text) {
        if (endsPhrase(c))
            ends += c;
    }
    return ends;
}

// What may reach the voice: kana it says, the long mark, pauses, blanks.
bool speakable(QChar c)
{
    static const QString unsaid = u"ヴヷヸヹヺヮヵヶヰヱヲヽヾ"_s;
    const char16_t u = c.unicode();
    return endsPhrase(c) || u == u' ' || u == u'ー' || u == u'、' || u == u'。'
        || (u >= u'ァ' && u <= u'ヺ' && !unsaid.contains(c));
}

} // namespace

void tst_SpokenReading::anyTextReadsAsKanaOnly()
{
    // Random texts of what a user can type and paste, and what no one
    // should: every CP932 character, ASCII, control characters, the
    // separator, lone surrogates and characters beyond CP932.
    QStringList alphabet = cp932Characters();
    for (char16_t c = 0x20; c < 0x7F; ++c)
        alphabet << QString(QChar(c));
    alphabet << u"\r\n"_s << u"\n"_s << u"\t"_s << QString(Sep) << QString(QChar(0xD800)) << QString(QChar(0xDC00))
             << u"\U0001F600"_s << u"\U00020B9F"_s << u"é"_s << u"\u3099"_s;
    QRandomGenerator random(12);
    for (int round = 0; round < 20000; ++round) {
        QString text;
        const int length = random.bounded(1, 24);
        // Runs from one small part of the alphabet too, so kana meet kana
        // and letters meet letters.
        const qsizetype from = random.bounded(alphabet.size());
        const qsizetype span = random.bounded(2) ? alphabet.size() : 60;
        for (int i = 0; i < length; ++i)
            text += alphabet.at((from + random.bounded(span)) % alphabet.size());
        const QString reading = m_reading->read(text);
        const bool blank = text.trimmed().isEmpty() && !text.contains(u'\t');
        QVERIFY2(reading.trimmed().isEmpty() == blank || !phraseEnds(text).isEmpty(), qPrintable(text));
        QCOMPARE(phraseEnds(reading), phraseEnds(text));
        if (reading == text && text.trimmed().isEmpty())
            continue;
        for (const QChar c : reading)
            QVERIFY2(speakable(c), qPrintable(text + u" -> "_s + reading));
    }
}


namespace
{

// Open JTalk widens Latin letters before it reads them.
QString narrowed(const QString& text)
{
    QString out;
    for (const QChar c : text)
        out += (c.unicode() >= 0xFF01 && c.unicode() <= 0xFF5E) ? QChar(c.unicode() - 0xFEE0) : c;
    return out;
}

bool isLatinWord(const QString& word)
{
    return word.size() >= 2 && std::all_of(word.cbegin(), word.cend(), [](QChar c) {
               return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
           });
}

} // namespace

// Every text the program says, as it goes to the Open JTalk module, read by
// Open JTalk (its trace): no word is spelled letter by letter, except
// initialisms (SMTP) and the parts of addresses and server names, which are
// meant to be spelled.
void tst_SpokenReading::openJTalkSpellsNoWord()
{
    QTemporaryDir dir;
    const QString trace = dir.filePath(u"trace"_s);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"VORNIX_JTALK_TRACE"_s, trace);
    ModuleClient module(QStringLiteral(VX_JTALK_MODULE));
    QVERIFY(module.start(dir.filePath(u"no-such.conf"_s), env));
    const QByteArrayList started = module.init();
    QVERIFY2(!started.isEmpty() && started.back().startsWith("299"), started.join('\n').constData());
    // Twice as fast takes half the time to synthesise, and reads the same.
    QCOMPARE(module.requestBlock("SET", {"rate=100"}).back(), "203 OK SETTINGS RECEIVED");

    // Each text's words, as Open JTalk read them: "surface/pronunciation".
    QFile file(trace);
    QVERIFY(file.open(QIODevice::ReadWrite)); // made here: the module only appends
    const auto wordsOf = [&](const QString& text) {
        if (!module.speak(asSpoken(text).toUtf8()) || module.waitForEnd().ending() != u"END"_s)
            return QStringList{u"<not spoken>"_s};
        QStringList words;
        for (const QByteArray& line : file.readAll().split('\n')) {
            if (line.startsWith("words\t"))
                words += QString::fromUtf8(line.mid(6)).split(u' ', Qt::SkipEmptyParts);
            if (line.startsWith("error\t"))
                words << u"<error: "_s + QString::fromUtf8(line.mid(6)) + u'>';
        }
        return words;
    };
    // The letters' names, from Open JTalk itself.
    QHash<QChar, QString> letterNames;
    for (const QString& word : wordsOf(u"A B C D E F G H I J K L M N O P Q R S T U V W X Y Z"_s)) {
        const QString surface = narrowed(word.section(u'/', 0, 0));
        if (surface.size() == 1 && surface.at(0) >= u'A' && surface.at(0) <= u'Z')
            letterNames.insert(surface.at(0), word.section(u'/', 1));
    }
    QCOMPARE(letterNames.size(), 26);

    QStringList faults;
    QStringList latin;
    for (const QString& text : std::as_const(m_spoken)) {
        const QString spoken = narrowed(asSpoken(text));
        const QStringList words = wordsOf(text);
        if (qEnvironmentVariableIsSet("VX_SHOW_SPOKEN"))
            qInfo("%s => %s", qPrintable(asSpoken(text)), qPrintable(words.join(u' ')));
        for (const QString& word : words) {
            const QString surface = narrowed(word.section(u'/', 0, 0));
            const QString reading = word.section(u'/', 1);
            if (word.startsWith(u'<')) {
                faults << text + u": "_s + word;
                continue;
            }
            if (!isLatinWord(surface))
                continue;
            QString spelled;
            for (const QChar c : surface)
                spelled += letterNames.value(c.toUpper());
            latin << surface + u'/' + reading;
            const bool initialism = surface == surface.toUpper();
            // A part of an address, server or file name: spelled on purpose.
            static const QRegularExpression named(u"[./@_-]"_s);
            const qsizetype at = spoken.indexOf(surface);
            const bool inName = at >= 0
                                && ((at > 0 && named.match(spoken.mid(at - 1, 1)).hasMatch())
                                    || named.match(spoken.mid(at + surface.size(), 1)).hasMatch()
                                    || spoken == narrowed(asSpoken(ReaderPhrasing::entry(surface, true))));
            if (reading == spelled && !initialism && !inName)
                faults << text + u": "_s + surface + u" -> "_s + reading;
        }
    }
    latin.removeDuplicates();
    qInfo("%lld texts through Open JTalk; Latin words read: %s", static_cast<long long>(m_spoken.size()),
          qPrintable(latin.join(u", "_s)));
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
    QCOMPARE(module.quit(), 0);
}

QTEST_MAIN(tst_SpokenReading)
#include "tst_spokenreading.moc"
