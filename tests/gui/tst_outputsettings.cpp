#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QtTest>

#include "platform/DialogTemplate.h"
#include "platform/Resources.h"
#include "settings/COutputSettingsDlg.h"

using namespace quelvo;
using D = COutputSettingsDlg;

namespace {

QComboBox* combo(const QWidget* dlg, int id)
{
    auto* c = control<QComboBox>(dlg, id);
    if (!c)
        qFatal("no combo %d", id);
    return c;
}

QString joined(const QWidget* dlg, int id)
{
    QStringList items;
    for (int i = 0; i < combo(dlg, id)->count(); ++i)
        items << combo(dlg, id)->itemText(i);
    return items.join('|');
}

QString current(const QWidget* dlg, int id)
{
    return combo(dlg, id)->currentText();
}

bool enabled(const QWidget* dlg, int id)
{
    return combo(dlg, id)->isEnabled();
}

OutputSettings distinctSettings()
{
    OutputSettings s;
    s.outputFolder = "/videos/out/";
    s.letterbox = 1;
    s.aviQuality = 2;
    s.wmvAudioCodec = 0;
    s.asfAudioCodec = 1;
    s.volume = 25;
    return s;
}

}  // namespace

class OutputSettingsDialogTest : public QObject {
    Q_OBJECT
private slots:
    void listsPerFormat_data();
    void listsPerFormat();
    void switchingFormatKeepsEachFamilysChoices();
    void dvdTvModeRefillsSizeAndRate();
    void windowsMediaAudioFields_data();
    void windowsMediaAudioFields();
    void volumeLabel_data();
    void volumeLabel();
    void okWritesTheWorkingCopyBack();
    void cancelLeavesTheSettingsAlone();
    void valuesOutsideTheListsShowNothingAndSurviveOk();
    void templateLayout();
    void skinAppliesWithoutTouchingFonts();
};

// Starting from the defaults, choosing each format in the dialog's first combo.
void OutputSettingsDialogTest::listsPerFormat_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("qualityCount");
    QTest::addColumn<QString>("quality");
    QTest::addColumn<QString>("video");
    QTest::addColumn<QString>("videoNow");
    QTest::addColumn<bool>("videoOn");
    QTest::addColumn<QString>("audio");
    QTest::addColumn<QString>("audioNow");
    QTest::addColumn<bool>("audioOn");
    QTest::addColumn<QString>("tv");
    QTest::addColumn<bool>("tvOn");
    QTest::addColumn<int>("sizeCount");
    QTest::addColumn<QString>("sizeNow");
    QTest::addColumn<bool>("sizeOn");
    QTest::addColumn<QString>("rates");
    QTest::addColumn<QString>("rateNow");
    QTest::addColumn<bool>("rateOn");
    QTest::addColumn<QString>("aspects");
    QTest::addColumn<QString>("aspectNow");
    QTest::addColumn<bool>("aspectOn");

    const QString aviRates = "Original|14.985 fps|20.0 fps|23.976 fps|24.0 fps|25.0 fps|29.97 fps|30.0 fps";
    const QString mpegRates = "Original|23.976 fps|24.0 fps|25.0 fps|29.97 fps|30.0 fps";
    const QString mpegAspects =
        "1:1    (PC VAG)|4:3    (Standard TV)|16:9   (Wide screen TV)|2.21:1 (CinemaScope movie)";
    const QString discAspects = "4:3    (Standard TV)|16:9   (Wide screen TV)";
    const QString aviMedium = "5.Medium (video bitrate:1000kbps; audio bitrate:128kbps)";
    const QString wide = "16:9   (Wide screen TV)";

    QTest::newRow("AVI") << 0 << 9 << aviMedium << "Divx|Xvid" << "Divx" << true << "MP3|AC3" << "MP3" << true
                         << "None" << false << 20 << "Original" << true << aviRates << "Original" << true
                         << "None" << "None" << false;
    QTest::newRow("MPEG1") << 1 << 5 << "4.Good   (video bitrate:1000kbps; audio bitrate:192kbps)" << "MPEG1"
                           << "MPEG1" << false << "MP2" << "MP2" << false << "None" << false << 18 << "Original"
                           << true << mpegRates << "Original" << true << mpegAspects << wide << true;
    QTest::newRow("MPEG2") << 2 << 6 << "4.Medium (video bitrate:2000kbps; audio bitrate:160kbps)" << "MPEG2"
                           << "MPEG2" << false << "MP2" << "MP2" << false << "None" << false << 18 << "Original"
                           << true << mpegRates << "Original" << true << mpegAspects << wide << true;
    QTest::newRow("DivX") << 3 << 9 << aviMedium << "Divx" << "Divx" << false << "MP3|AC3" << "MP3" << true
                          << "None" << false << 20 << "Original" << true << aviRates << "Original" << true
                          << "None" << "None" << false;
    QTest::newRow("Xvid") << 4 << 9 << aviMedium << "Xvid" << "Xvid" << false << "MP3|AC3" << "MP3" << true
                          << "None" << false << 20 << "Original" << true << aviRates << "Original" << true
                          << "None" << "None" << false;
    QTest::newRow("VCD") << 5 << 5 << "4.Good   (video bitrate:1000kbps; audio bitrate:192kbps)" << "MPEG1"
                         << "MPEG1" << false << "MP2" << "MP2" << false << "NTSC|PAL" << true << 2 << "352 x 240"
                         << false << "23.976 fps|25.0 fps" << "23.976 fps" << false << discAspects << wide << true;
    QTest::newRow("SVCD") << 6 << 5 << "5.Best   (video bitrate:2500kbps; audio bitrate:224kbps)" << "MPEG2"
                          << "MPEG2" << false << "MP2" << "MP2" << false << "NTSC|PAL" << true << 2
                          << "480 x 480" << false << "29.97 fps|25.0 fps" << "29.97 fps" << false << discAspects
                          << wide << true;
    QTest::newRow("DVD") << 7 << 6 << "6.Best   (video bitrate:5000kbps; audio bitrate:224kbps)" << "MPEG2"
                         << "MPEG2" << false << "AC3|MP2" << "AC3" << true << "NTSC|PAL" << true << 2
                         << "720 x 480" << false << "29.97 fps|25.0 fps" << "29.97 fps" << false << discAspects
                         << wide << true;
    QTest::newRow("WMV") << 8 << 9 << "6.Good   (video bitrate:1000kbps; audio bitrate:128kbps)" << "WMV8"
                         << "WMV8" << false << "WMAv1|WMAv2" << "WMAv2" << true << "None" << false << 20
                         << "Original" << true << "Auto" << "Auto" << false << "None" << "None" << false;
    QTest::newRow("ASF") << 9 << 9 << "6.Good   (video bitrate:1000kbps; audio bitrate:128kbps)"
                         << "msmpeg4|msmpeg4v2|WMV8" << "WMV8" << true << "WMAv1|WMAv2" << "WMAv2" << true << "None"
                         << false << 20 << "Original" << true << "Auto" << "Auto" << false << "None" << "None"
                         << false;
}

void OutputSettingsDialogTest::listsPerFormat()
{
    QFETCH(int, format);
    OutputSettings settings;
    D dlg(settings);
    QCOMPARE(combo(&dlg, D::FormatCombo)->count(), 10);
    combo(&dlg, D::FormatCombo)->setCurrentIndex(format);
    QCOMPARE(dlg.workingCopy().outputFormat, format);

    QTEST(combo(&dlg, D::QualityCombo)->count(), "qualityCount");
    QTEST(current(&dlg, D::QualityCombo), "quality");
    QVERIFY(enabled(&dlg, D::QualityCombo));
    QTEST(joined(&dlg, D::VideoCodecCombo), "video");
    QTEST(current(&dlg, D::VideoCodecCombo), "videoNow");
    QTEST(enabled(&dlg, D::VideoCodecCombo), "videoOn");
    QTEST(joined(&dlg, D::AudioCodecCombo), "audio");
    QTEST(current(&dlg, D::AudioCodecCombo), "audioNow");
    QTEST(enabled(&dlg, D::AudioCodecCombo), "audioOn");
    QTEST(joined(&dlg, D::TvModeCombo), "tv");
    QCOMPARE(combo(&dlg, D::TvModeCombo)->currentIndex(), 0);
    QTEST(enabled(&dlg, D::TvModeCombo), "tvOn");
    QTEST(combo(&dlg, D::ResolutionCombo)->count(), "sizeCount");
    QTEST(current(&dlg, D::ResolutionCombo), "sizeNow");
    QTEST(enabled(&dlg, D::ResolutionCombo), "sizeOn");
    QTEST(joined(&dlg, D::FrameRateCombo), "rates");
    QTEST(current(&dlg, D::FrameRateCombo), "rateNow");
    QTEST(enabled(&dlg, D::FrameRateCombo), "rateOn");
    QTEST(joined(&dlg, D::AspectCombo), "aspects");
    QTEST(current(&dlg, D::AspectCombo), "aspectNow");
    QTEST(enabled(&dlg, D::AspectCombo), "aspectOn");

    // MPEG1 and MPEG2 leave out the two sizes that are not in their table.
    const QString sizes = joined(&dlg, D::ResolutionCombo);
    const bool mpeg = format == 1 || format == 2;
    if (combo(&dlg, D::ResolutionCombo)->count() > 2)
        QCOMPARE(sizes.contains("480 x 272") || sizes.contains("624 x 352"), !mpeg);
    // Changing the format touches nothing but the format.
    OutputSettings expected = settings;
    expected.outputFormat = format;
    QVERIFY(dlg.workingCopy() == expected);
}

void OutputSettingsDialogTest::switchingFormatKeepsEachFamilysChoices()
{
    OutputSettings settings;
    D dlg(settings);
    combo(&dlg, D::QualityCombo)->setCurrentIndex(7);
    combo(&dlg, D::VideoCodecCombo)->setCurrentIndex(1);
    combo(&dlg, D::AudioCodecCombo)->setCurrentIndex(1);
    combo(&dlg, D::ResolutionCombo)->setCurrentIndex(13);
    combo(&dlg, D::FrameRateCombo)->setCurrentIndex(3);
    const OutputSettings aviChoices = dlg.workingCopy();
    QCOMPARE(aviChoices.aviQuality, 7);
    QCOMPARE(aviChoices.aviVideoCodec, 1);
    QCOMPARE(aviChoices.aviAudioCodec, 1);
    QCOMPARE(aviChoices.aviResolution, 13);
    QCOMPARE(aviChoices.aviFrameRate, 3);

    combo(&dlg, D::FormatCombo)->setCurrentIndex(FormatDvd);
    QCOMPARE(current(&dlg, D::QualityCombo), "6.Best   (video bitrate:5000kbps; audio bitrate:224kbps)");
    combo(&dlg, D::QualityCombo)->setCurrentIndex(1);
    QCOMPARE(dlg.workingCopy().dvdQuality, 1);
    QCOMPARE(dlg.workingCopy().aviQuality, 7);

    combo(&dlg, D::FormatCombo)->setCurrentIndex(FormatAvi);
    QCOMPARE(current(&dlg, D::QualityCombo), "8.High   (video bitrate:2000kbps; audio bitrate:192kbps)");
    QCOMPARE(current(&dlg, D::VideoCodecCombo), "Xvid");
    QCOMPARE(current(&dlg, D::AudioCodecCombo), "AC3");
    QCOMPARE(current(&dlg, D::ResolutionCombo), "480 x 272");
    QCOMPARE(current(&dlg, D::FrameRateCombo), "23.976 fps");
    QCOMPARE(dlg.workingCopy().dvdQuality, 1);
}

void OutputSettingsDialogTest::dvdTvModeRefillsSizeAndRate()
{
    OutputSettings settings;
    settings.outputFormat = FormatDvd;
    D dlg(settings);
    QCOMPARE(current(&dlg, D::TvModeCombo), "NTSC");
    QCOMPARE(current(&dlg, D::ResolutionCombo), "720 x 480");
    QCOMPARE(current(&dlg, D::FrameRateCombo), "29.97 fps");

    combo(&dlg, D::TvModeCombo)->setCurrentIndex(1);
    QCOMPARE(dlg.workingCopy().tvMode, 1);
    QCOMPARE(current(&dlg, D::ResolutionCombo), "720 x 576");
    QCOMPARE(current(&dlg, D::FrameRateCombo), "25.0 fps");
    QVERIFY(!enabled(&dlg, D::ResolutionCombo));
    QVERIFY(!enabled(&dlg, D::FrameRateCombo));
    QCOMPARE(settings.tvMode, 0);
}

void OutputSettingsDialogTest::windowsMediaAudioFields_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("shown");      // distinctSettings: WMV audio 0, ASF audio 1
    QTest::addColumn<int>("wmvAfter");
    QTest::addColumn<int>("asfAfter");
    QTest::newRow("ASF") << int(FormatAsf) << 1 << 0 << 0;
    QTest::newRow("WMV") << int(FormatWmv) << 0 << 1 << 1;
}

void OutputSettingsDialogTest::windowsMediaAudioFields()
{
    QFETCH(int, format);
    QFETCH(int, shown);
    OutputSettings settings = distinctSettings();
    settings.outputFormat = format;
    D dlg(settings);
    QCOMPARE(combo(&dlg, D::AudioCodecCombo)->currentIndex(), shown);
    combo(&dlg, D::AudioCodecCombo)->setCurrentIndex(1 - shown);
    QTEST(dlg.workingCopy().wmvAudioCodec, "wmvAfter");
    QTEST(dlg.workingCopy().asfAudioCodec, "asfAfter");
}

void OutputSettingsDialogTest::volumeLabel_data()
{
    QTest::addColumn<int>("volume");
    QTest::addColumn<QString>("label");
    QTest::newRow("0") << 0 << "-20db";
    QTest::newRow("20") << 20 << "+0db";
    QTest::newRow("40") << 40 << "+20db";
    QTest::newRow("7") << 7 << "-13db";
}

void OutputSettingsDialogTest::volumeLabel()
{
    QFETCH(int, volume);
    QFETCH(QString, label);
    auto slider = [](const QWidget* d) { return control<QSlider>(d, D::VolumeSlider); };
    auto text = [](const QWidget* d) { return control<QLabel>(d, D::VolumeLabel)->text(); };

    OutputSettings settings;
    settings.volume = volume;
    D shownAtStart(settings);
    QCOMPARE(slider(&shownAtStart)->minimum(), 0);
    QCOMPARE(slider(&shownAtStart)->maximum(), 40);
    QCOMPARE(slider(&shownAtStart)->value(), volume);
    QCOMPARE(text(&shownAtStart), label);

    settings.volume = volume == 20 ? 33 : 20;
    D moved(settings);
    slider(&moved)->setValue(volume);
    QCOMPARE(moved.workingCopy().volume, volume);
    QCOMPARE(text(&moved), label);
}

void OutputSettingsDialogTest::okWritesTheWorkingCopyBack()
{
    OutputSettings settings = distinctSettings();
    D dlg(settings);
    QVERIFY(control<QCheckBox>(&dlg, D::LetterboxCheck)->isChecked());
    combo(&dlg, D::FormatCombo)->setCurrentIndex(FormatMpeg2);
    combo(&dlg, D::QualityCombo)->setCurrentIndex(5);
    combo(&dlg, D::AspectCombo)->setCurrentIndex(3);
    combo(&dlg, D::ResolutionCombo)->setCurrentIndex(15);
    control<QSlider>(&dlg, D::VolumeSlider)->setValue(31);
    control<QCheckBox>(&dlg, D::LetterboxCheck)->setChecked(false);
    // Nothing reaches the record before OK, not even the check box.
    QVERIFY(settings == distinctSettings());

    control<QPushButton>(&dlg, kIdOk)->click();
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    OutputSettings expected = distinctSettings();
    expected.outputFormat = FormatMpeg2;
    expected.mpeg2Quality = 5;
    expected.mpegAspectRatio = 3;
    expected.mpegResolution = 15;
    expected.volume = 31;
    expected.letterbox = 0;
    QVERIFY(settings == expected);
    QCOMPARE(settings.outputFolder, std::string("/videos/out/"));
}

void OutputSettingsDialogTest::cancelLeavesTheSettingsAlone()
{
    OutputSettings settings = distinctSettings();
    D dlg(settings);
    combo(&dlg, D::FormatCombo)->setCurrentIndex(FormatSvcd);
    combo(&dlg, D::TvModeCombo)->setCurrentIndex(1);
    control<QSlider>(&dlg, D::VolumeSlider)->setValue(3);
    control<QCheckBox>(&dlg, D::LetterboxCheck)->setChecked(false);
    QVERIFY(!(dlg.workingCopy() == settings));

    control<QPushButton>(&dlg, kIdCancel)->click();
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QVERIFY(settings == distinctSettings());
}

// A hand-edited option file: the dialog shows no item for such values and
// hands them back as they were.
void OutputSettingsDialogTest::valuesOutsideTheListsShowNothingAndSurviveOk()
{
    OutputSettings settings;
    settings.aviQuality = 42;
    settings.aviResolution = -3;
    settings.volume = 55;
    settings.letterbox = 1;
    {
        OutputSettings copy = settings;
        D dlg(copy);
        QCOMPARE(combo(&dlg, D::QualityCombo)->currentIndex(), -1);
        QCOMPARE(combo(&dlg, D::ResolutionCombo)->currentIndex(), -1);
        QCOMPARE(control<QLabel>(&dlg, D::VolumeLabel)->text(), QString("+35db"));
        control<QPushButton>(&dlg, kIdOk)->click();
        QVERIFY(copy == settings);
    }
    settings.outputFormat = 12;
    OutputSettings copy = settings;
    D dlg(copy);
    QCOMPARE(combo(&dlg, D::FormatCombo)->currentIndex(), -1);
    QCOMPARE(combo(&dlg, D::QualityCombo)->count(), 0);
    QVERIFY(!enabled(&dlg, D::AspectCombo));
    control<QPushButton>(&dlg, kIdOk)->click();
    QVERIFY(copy == settings);
}

void OutputSettingsDialogTest::templateLayout()
{
    OutputSettings settings;
    D dlg(settings);
    QCOMPARE(dlg.windowTitle(), QString("Output Settings"));
    const DialogTemplate& t = D::dialogTemplate();
    QCOMPARE(t.id, 166);
    QCOMPARE(dlg.size(), dialogUnitsToPixels(dialogBase(dlg.font()), 0, 0, 279, 151).size());
    QCOMPARE(control<QPushButton>(&dlg, kIdOk)->text(), QString("Ok"));
    QVERIFY(control<QPushButton>(&dlg, kIdOk)->isDefault());
    QCOMPARE(control<QCheckBox>(&dlg, D::LetterboxCheck)->text(), QString("Add letter box to keep aspect ratio"));
}

// The skin restyles the dialog but must leave the template fonts alone: the
// controls are placed for them.
void OutputSettingsDialogTest::skinAppliesWithoutTouchingFonts()
{
    const QString sheet = QString::fromUtf8(namedResource("SKINMAGIC", "ZORVAN_SKIN"));
    QVERIFY(!sheet.isEmpty());
    const QRegularExpression url("url\\(([^)]*)\\)");
    for (auto it = url.globalMatch(sheet); it.hasNext();) {
        const QString path = it.next().captured(1);
        QVERIFY2(QFile::exists(path), qPrintable(path));
    }

    OutputSettings settings;
    D plain(settings);
    const QColor plainBackground = plain.grab().toImage().pixelColor(2, 2);
    QMap<int, QFont> fonts;
    for (int id : {int(D::FormatCombo), int(D::VolumeLabel), int(D::LetterboxCheck), kIdOk})
        fonts[id] = controlById(&plain, id)->font();

    QTest::failOnWarning(QRegularExpression("style ?sheet", QRegularExpression::CaseInsensitiveOption));
    qApp->setStyleSheet(sheet);
    D skinned(settings);
    const QImage look = skinned.grab().toImage();
    QMap<int, QFont> skinnedFonts;
    for (auto it = fonts.begin(); it != fonts.end(); ++it)
        skinnedFonts[it.key()] = controlById(&skinned, it.key())->font();
    const QFont dialogFont = skinned.font();
    qApp->setStyleSheet(QString());

    QVERIFY(look.pixelColor(2, 2) != plainBackground);
    QCOMPARE(dialogFont, plain.font());
    QCOMPARE(skinnedFonts, fonts);
    QCOMPARE(skinned.size(), plain.size());
    if (const QByteArray docs = qgetenv("QUELVO_DOCS_DIR"); !docs.isEmpty())
        look.save(QString::fromLocal8Bit(docs) + "/output-settings.png");
}

QTEST_MAIN(OutputSettingsDialogTest)
#include "tst_outputsettings.moc"
