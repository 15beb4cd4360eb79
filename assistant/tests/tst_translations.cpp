// The translation catalogues against the sources: every qsTr text of the pages
// and every tr text of the C++ (found by running lupdate over them into a
// temporary catalogue) is translated in chinese.ts (English) and
// japanese.ts, with its markup and placeholders kept; the controller's texts
// are there under "QObject"; the built .qm files translate.
#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

struct Entry {
    QString translation;
    bool finished = false;
};

using Catalogue = QHash<QPair<QString, QString>, Entry>;   // (context, source) -> entry

// Reads a .ts file; obsolete and vanished entries are left out, as lrelease does.
Catalogue readCatalogue(const QString &path, QString *error)
{
    Catalogue catalogue;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = "cannot open " + path;
        return catalogue;
    }
    QXmlStreamReader xml(&file);
    QString context;
    QString source;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (xml.name() == QLatin1String("source")) {
            source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            const QString type = xml.attributes().value("type").toString();
            Entry entry;
            entry.translation = xml.readElementText();
            entry.finished = type.isEmpty();
            if (type != "obsolete" && type != "vanished")
                catalogue.insert({ context, source }, entry);
        }
    }
    if (xml.hasError())
        *error = path + ": " + xml.errorString();
    return catalogue;
}

QStringList tagsOf(const QString &text)
{
    QStringList tags;
    auto it = QRegularExpression("<[^>]+>|%\\d").globalMatch(text);
    while (it.hasNext())
        tags << it.next().captured(0).toLower();
    tags.sort();
    return tags;
}

bool hasHan(const QString &text)
{
    for (const QChar c : text)
        if (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF)
            return true;
    return false;
}

const QString kCatalogueDir = QString(OSTREL_SOURCE_DIR) + "/assistant/i18n/";

} // namespace

class TestTranslations : public QObject {
    Q_OBJECT

private:
    Catalogue m_sources;
    Catalogue m_english;
    Catalogue m_japanese;

    void checkCatalogue(const Catalogue &catalogue, const QString &name, bool english)
    {
        QStringList problems;
        for (auto it = m_sources.cbegin(); it != m_sources.cend(); ++it) {
            const QString where = QStringLiteral("%1 / %2 / \"%3\"").arg(name, it.key().first, it.key().second);
            const auto found = catalogue.constFind(it.key());
            if (found == catalogue.cend()) {
                problems << where + ": missing";
                continue;
            }
            const QString source = it.key().second;
            const QString translation = found->translation;
            if (!found->finished || translation.trimmed().isEmpty())
                problems << where + ": not translated";
            else if (tagsOf(translation) != tagsOf(source))
                problems << where + ": markup or placeholders differ: " + translation;
            else if (english && hasHan(translation))
                problems << where + ": English text with Chinese characters: " + translation;
            else if (!english && hasHan(source) && translation == source)
                problems << where + ": left as the Chinese source";
        }
        QVERIFY2(problems.isEmpty(), qPrintable("\n" + problems.join('\n')));
    }

private slots:
    void initTestCase()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString probe = dir.filePath("sources.ts");
        QProcess lupdate;
        lupdate.start(OSTREL_LUPDATE, { "-silent", QString(OSTREL_SOURCE_DIR) + "/assistant/qml",
                                        QString(OSTREL_SOURCE_DIR) + "/assistant/src", "-ts", probe });
        QVERIFY(lupdate.waitForFinished(120000));
        QVERIFY2(lupdate.exitCode() == 0, lupdate.readAllStandardError().constData());
        QString error;
        m_sources = readCatalogue(probe, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        m_english = readCatalogue(kCatalogueDir + "chinese.ts", &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        m_japanese = readCatalogue(kCatalogueDir + "japanese.ts", &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        qInfo() << m_sources.size() << "texts in the sources;" << m_english.size() << "in chinese.ts,"
                << m_japanese.size() << "in japanese.ts";
        // The pages alone hold more than a hundred texts; fewer means lupdate saw nothing.
        QVERIFY(m_sources.size() > 100);
    }

    void englishCoversTheSources() { checkCatalogue(m_english, "chinese.ts", true); }
    void japaneseCoversTheSources() { checkCatalogue(m_japanese, "japanese.ts", false); }

    // The controller's toasts, names and system-information titles, translated
    // with QObject::tr.
    void controllerTextsAreThere()
    {
        const QStringList texts = {
            "Marelle眼镜", "眼镜ID：", "当前配置", "最低配置", "推荐配置", "操作系统：", "处理器：", "内存：", "显卡：",
            "DirectX 版本：", "切换模式中，请稍后再试", "正在重启，请稍候", "steam启动中，请勿操作",
            "请使用管理员权限打开steam，或安装此程序到非系统目录",
            "当前无音频设备或音频设备是多声道，请切换成双声道模式或者切换双声道音频设备", "设备连接失败，请插拔眼镜再试",
            "正在登录steam，请稍等", "正在准备打开或者安装SteamVR,确保已登录steam", "steamVR重启设置中，请勿操作",
        };
        for (const Catalogue *catalogue : { &m_english, &m_japanese }) {
            for (const QString &text : texts) {
                const auto found = catalogue->constFind({ "QObject", text });
                QVERIFY2(found != catalogue->cend() && found->finished && !found->translation.isEmpty(), qPrintable(text));
            }
        }
    }

    // The .qm files next to the program translate what the catalogues say.
    void builtFilesTranslate()
    {
        const struct {
            const char *file;
            const Catalogue *catalogue;
        } files[] = { { "chinese.qm", &m_english }, { "japanese.qm", &m_japanese } };
        for (const auto &f : files) {
            QTranslator translator;
            QVERIFY2(translator.load(QString(OSTREL_ASSISTANT_BIN_DIR) + "/" + f.file), f.file);
            int checked = 0;
            for (auto it = f.catalogue->cbegin(); it != f.catalogue->cend(); ++it) {
                const QString translated = translator.translate(it.key().first.toUtf8().constData(),
                                                                it.key().second.toUtf8().constData());
                QCOMPARE(translated, it->translation);
                ++checked;
            }
            QCOMPARE(checked, f.catalogue->size());
        }
    }
};

QTEST_GUILESS_MAIN(TestTranslations)
#include "tst_translations.moc"
