// SPDX-License-Identifier: MIT
// The running program's settings: what one run saves, the next one reads
// back, through the per-user store and the settings-file reader.
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>

#include "settings/options.h"
#include "settings/settings_store.h"
#include "ui/window_settings.h"

using namespace quillon;

class ProgramSettingsTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        qputenv("QUILLON_SETTINGS_FILE", m_dir.filePath(QStringLiteral("store.ini")).toUtf8());
        ProgramSettings().SetUpStore();
    }
    void cleanup() { ResetOptions(options(), false); }

    void whatTheWindowKeepsSurvivesARun() {
        WindowSettings& s = ProgramSettings();
        s.LoadRecentFiles();
        QCOMPARE(s.AddRecentFile(u"/b/first.xml"), (std::vector<std::u16string>{u"/b/first.xml"}));
        s.SaveRecentFiles();
        QCOMPARE(s.LoadRecentFiles(), (std::vector<std::u16string>{u"/b/first.xml"}));
        QFont tree(QStringLiteral("DejaVu Sans Mono"));
        tree.setPixelSize(17);
        tree.setBold(true);
        tree.setItalic(true);
        s.SaveTreeFont(tree, 23);
        const std::optional<QFont> back = s.LoadTreeFont();
        QVERIFY(back);
        QCOMPARE(back->family(), tree.family());
        QCOMPARE(back->pixelSize(), 17);
        QCOMPARE(back->weight(), QFont::Bold);
        QVERIFY(back->italic());

        ElementWindowFont viewer;
        viewer.font = QFont(QStringLiteral("DejaVu Serif"));
        viewer.textHeight = 240;
        s.SaveElementFont(viewer);
        const std::optional<ElementWindowFont> viewerBack = s.LoadElementFont();
        QVERIFY(viewerBack && viewerBack->font);
        QCOMPARE(viewerBack->font->family(), QStringLiteral("DejaVu Serif"));
        QCOMPARE(viewerBack->textHeight, 240);

        DifferenceColors colors = DefaultDifferenceColors();
        colors[kDeletedTextText] = QColor(12, 34, 56);
        s.SaveColors(colors);
        DifferenceColors read = DefaultDifferenceColors();
        s.LoadColors(read);
        QCOMPARE(read[kDeletedTextText], QColor(12, 34, 56));
    }

    void aSettingsFileIsReallyRead() {
        const QString path = m_dir.filePath(QStringLiteral("level.ini"));
        {
            std::ofstream out(path.toStdString());
            out << "CompareLevel=2\r\n";
        }
        QVERIFY(ProgramSettings().ReadSettingsFile(path.toStdU16String(), kOptionsSection));
        QCOMPARE(options().CompareLevel, 2u);
        QVERIFY(!ProgramSettings().ReadSettingsFile(u"/no/such/file.ini", kEverySettingsSection));
        // What one run saves at exit, the next one reads back.
        ProgramSettings().SaveSettings(true);
        ResetOptions(options(), false);
        ProgramSettings().LoadSettings();
        QCOMPARE(options().CompareLevel, 2u);
    }
};

QTEST_MAIN(ProgramSettingsTest)
#include "program_settings_test.moc"
