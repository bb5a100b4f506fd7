#include "ui/QtSettingsStore.h"
#include "settings/Placement.h"
#include "settings/ProgramSettings.h"
#include "settings/SettingsKeys.h"
#include "support/FreshSettings.h"
#include "support/QtFileBytes.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tessalyn;
using test_support::readBytes;

namespace {

class QtSettingsStoreTest : public test_support::GuiTest {};

} // namespace

TEST_F(QtSettingsStoreTest, KeepsNamesGroupsAndTypesInTheUsersConfigurationFile) {
    QtSettingsStore store;
    EXPECT_TRUE(store.fileName().endsWith(QStringLiteral("/Korvanei/Tessalyn.conf")));

    EXPECT_TRUE(store.writeInt("", settings::kPolarityMode, 2));
    EXPECT_TRUE(store.writeString("", settings::kFontName, "Caf\xE9, Sans"));
    EXPECT_TRUE(store.writeInt(settings::kPlacementRemedyOverview, "(check)", 32639));
    EXPECT_TRUE(store.writeInt(settings::kColumnsMain, "Col0", 120));
    EXPECT_TRUE(store.writeString(settings::kSettingsSection, settings::kCurrentDirectory,
                                  "C:\\Daten\\M\xFCller\\"));

    // A second store sees the file as written; the platform's own view shows
    // the nested groups and the names with their umlauts.
    QtSettingsStore again;
    EXPECT_EQ(again.readInt("", settings::kPolarityMode, 0), 2);
    EXPECT_EQ(again.readString("", settings::kFontName, ""), "Caf\xE9, Sans");
    EXPECT_EQ(again.readInt(settings::kPlacementRemedyOverview, "(check)", 0), 32639);
    EXPECT_EQ(again.readInt("Spalten\\Eingabe", "Col0", 0), 120) << "'\\' separates groups too";
    EXPECT_EQ(again.readString(settings::kSettingsSection, settings::kCurrentDirectory, ""),
              "C:\\Daten\\M\xFCller\\");

    QSettings qs(QStringLiteral("Korvanei"), QStringLiteral("Tessalyn"));
    EXPECT_EQ(qs.value(QStringLiteral("PolaritätenHandhabung")).toInt(), 2);
    EXPECT_EQ(qs.value(QStringLiteral("Dialog/Mittelübersicht/(check)")).toInt(), 32639);
    EXPECT_TRUE(qs.childGroups().contains(QStringLiteral("Spalten")));
    qs.beginGroup(QStringLiteral("Dialog"));
    EXPECT_EQ(qs.childGroups(), QStringList{QStringLiteral("Mittelübersicht")});
}

TEST_F(QtSettingsStoreTest, HandEditedValuesOfTheWrongKindReadAsDefaults) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Tessalyn.conf"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[General]\n"
            "FontSize=abc\n"
            "SprungEnde=  0 \n"
            "Spaltenbreite=1.5\n"
            "Startverz%F6gerung=999\n"
            "FontName=Arial, Bold\n"
            "[Dialog]\n"
            "Eingabe\\Left=99999999999\n"
            "Eingabe\\Top=-20\n");
    f.close();

    QtSettingsStore store(path);
    EXPECT_EQ(store.readInt("", "FontSize", 7), 7);
    EXPECT_EQ(store.readInt("", "SprungEnde", 1), 0);
    EXPECT_EQ(store.readInt("", "Spaltenbreite", 1), 1);
    EXPECT_EQ(store.readInt("", "FontName", 3), 3);
    EXPECT_EQ(store.readString("", "FontName", ""), "Arial, Bold");
    EXPECT_EQ(store.readInt("Dialog/Eingabe", "Left", 5), 5) << "beyond 32 bits";
    EXPECT_EQ(store.readInt("Dialog/Eingabe", "Top", 5), -20);
    EXPECT_EQ(store.readString("", "Missing", "x"), "x");

    const ProgramSettings s = readProgramSettings(store);
    EXPECT_EQ(s.fontSize, 1);
    EXPECT_FALSE(s.jumpToEnd);
    EXPECT_TRUE(s.saveColumnWidths);
    EXPECT_EQ(readSettingsDialogValues(store).startDelay, 5);
}

TEST_F(QtSettingsStoreTest, UnwritableFileKeepsTheSettingsInMemory) {
    QTemporaryDir dir;
    // A regular file where the folder should be: nothing can be created below it.
    const QString blocker = dir.filePath(QStringLiteral("blocker"));
    QFile f(blocker);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    QtSettingsStore store(blocker + QStringLiteral("/Tessalyn.conf"));

    EXPECT_FALSE(store.writeInt("", "FontSize", 12)) << "the failure is reported";
    EXPECT_FALSE(store.writeString("", "FontName", "Arial"));
    EXPECT_EQ(store.readInt("", "FontSize", 1), 12);
    EXPECT_EQ(store.readString("", "FontName", ""), "Arial");
    EXPECT_EQ(readProgramSettings(store).tableFont(), (TableFontChoice{"Arial", 12}));

    EXPECT_FALSE(storePlacement(store, settings::kPlacementMain,
                                WindowPlacement{ScreenRect{0, 0, 100, 100}, kShowNormal}));
    EXPECT_FALSE(readPlacement(store, settings::kPlacementMain, WindowPlacement{}).has_value());

    // Once the file can be written again, writes reach it.
    ASSERT_TRUE(QFile::remove(blocker));
    ASSERT_TRUE(QDir().mkpath(blocker));
    EXPECT_TRUE(store.writeInt("", "SprungEnde", 0));
    EXPECT_TRUE(readBytes(blocker + QStringLiteral("/Tessalyn.conf")).contains("SprungEnde=0"));
    EXPECT_EQ(store.readInt("", "FontSize", 1), 12);
}
