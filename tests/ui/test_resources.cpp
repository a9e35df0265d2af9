// The embedded resources: present in the linked program, sounds that parse as PCM
// waves of the right length, Moon phases that grow and shrink as they should, button
// pictures; and playing the sounds by name.
#include "ui/sounds.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QTest>
#include <QtEndian>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace orrimar {
namespace {

constexpr int FrameSize = 76;  // pixels
constexpr int FrameCount = 25;
constexpr int SlotCount = 32;  // frames the sheet has room for
constexpr double Centre = FrameSize / 2.0;

QImage Sheet()
{
    return QImage(QStringLiteral(":/moon/phases.png")).convertToFormat(QImage::Format_ARGB32);
}

QImage Frame(const QImage& sheet, int index)
{
    return sheet.copy((index % 4) * FrameSize, (index / 4) * FrameSize, FrameSize, FrameSize);
}

// The opaque pixels of a frame: what it paints through its mask.
std::vector<bool> Opaque(const QImage& frame)
{
    std::vector<bool> opaque(FrameSize * FrameSize);
    for (int y = 0; y < FrameSize; ++y)
        for (int x = 0; x < FrameSize; ++x)
            opaque[y * FrameSize + x] = qAlpha(frame.pixel(x, y)) != 0;
    return opaque;
}

int Count(const std::vector<bool>& set)
{
    int n = 0;
    for (bool b : set)
        n += b ? 1 : 0;
    return n;
}

bool Contains(const std::vector<bool>& outer, const std::vector<bool>& inner)
{
    for (std::size_t i = 0; i < inner.size(); ++i)
        if (inner[i] && !outer[i])
            return false;
    return true;
}

struct Wave {
    int formatTag = 0;
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    int blockAlign = 0;
    QByteArray data;
};

// Walks the RIFF chunks; fails the test on a malformed file.
bool ParseWave(const QByteArray& bytes, Wave& wave)
{
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE")
        return false;
    if (qFromLittleEndian<quint32>(bytes.constData() + 4) != quint32(bytes.size() - 8))
        return false;
    bool haveFormat = false, haveData = false;
    qsizetype pos = 12;
    while (pos + 8 <= bytes.size()) {
        const QByteArray id = bytes.mid(pos, 4);
        const auto size = qsizetype(qFromLittleEndian<quint32>(bytes.constData() + pos + 4));
        const qsizetype body = pos + 8;
        if (body + size > bytes.size())
            return false;
        if (id == "fmt " && size >= 16) {
            const char* f = bytes.constData() + body;
            wave.formatTag = qFromLittleEndian<quint16>(f);
            wave.channels = qFromLittleEndian<quint16>(f + 2);
            wave.sampleRate = int(qFromLittleEndian<quint32>(f + 4));
            wave.blockAlign = qFromLittleEndian<quint16>(f + 12);
            wave.bitsPerSample = qFromLittleEndian<quint16>(f + 14);
            haveFormat = true;
        } else if (id == "data") {
            wave.data = bytes.mid(body, size);
            haveData = true;
        }
        pos = body + size + (size & 1);
    }
    return haveFormat && haveData;
}

}  // namespace

class TestResources : public QObject {
    Q_OBJECT

private slots:
    void ResourceIsLinkedIn_data();
    void ResourceIsLinkedIn();
    void SoundIsShortPcmWave_data();
    void SoundIsShortPcmWave();
    void SheetHasRoomFor32FramesAndOneBitMask();
    void WaxingFramesContainTheFrameBefore();
    void WaningFramesShrinkFromTheRight();
    void PhaseShape_data();
    void PhaseShape();
    void ButtonPicture_data();
    void ButtonPicture();
    void PlayingKnownNamesIgnoresCase();
    void PlayingUnknownNamesDoesNothing();
};

void TestResources::ResourceIsLinkedIn_data()
{
    QTest::addColumn<QString>("path");
    for (const char* path : {":/moon/phases.png", ":/sounds/coll.wav", ":/sounds/esc.wav",
                             ":/icons/start.png", ":/icons/cancel.png",
                             ":/icons/cancel_disabled.png", ":/icons/config.png",
                             ":/icons/config_disabled.png", ":/icons/about.png",
                             ":/icons/arrow.png", ":/icons/exit.png"})
        QTest::newRow(path) << QString::fromLatin1(path);
}

// A resource file that the static library's linker dropped is silently missing.
void TestResources::ResourceIsLinkedIn()
{
    QFETCH(QString, path);
    QVERIFY2(QFile::exists(path), qPrintable(path + " is not compiled in"));
}

void TestResources::SoundIsShortPcmWave_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<double>("minSeconds");
    QTest::addColumn<double>("maxSeconds");
    QTest::newRow("collision") << QStringLiteral(":/sounds/coll.wav") << 1.2 << 1.45;
    QTest::newRow("escape") << QStringLiteral(":/sounds/esc.wav") << 0.4 << 0.65;
}

void TestResources::SoundIsShortPcmWave()
{
    QFETCH(QString, path);
    QFETCH(double, minSeconds);
    QFETCH(double, maxSeconds);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY2(bytes.size() < 100 * 1024, "sound too large");
    Wave wave;
    QVERIFY2(ParseWave(bytes, wave), "not a well-formed RIFF WAVE file");
    QCOMPARE(wave.formatTag, 1);
    QCOMPARE(wave.bitsPerSample, 16);
    QCOMPARE(wave.sampleRate, 22050);
    QVERIFY(wave.channels == 1 || wave.channels == 2);
    QCOMPARE(wave.blockAlign, wave.channels * 2);
    QCOMPARE(wave.data.size() % wave.blockAlign, 0);
    const double seconds = double(wave.data.size() / wave.blockAlign) / wave.sampleRate;
    QVERIFY2(seconds >= minSeconds && seconds <= maxSeconds, qPrintable(QString::number(seconds)));

    // Audible, and ending quietly rather than with a click.
    const auto* samples = reinterpret_cast<const uchar*>(wave.data.constData());
    const qsizetype count = wave.data.size() / 2;
    int peak = 0;
    for (qsizetype i = 0; i < count; ++i)
        peak = std::max(peak, std::abs(int(qFromLittleEndian<qint16>(samples + 2 * i))));
    QVERIFY2(peak > 8000, qPrintable(QString::number(peak)));
    QVERIFY(std::abs(int(qFromLittleEndian<qint16>(samples + 2 * (count - 1)))) < 300);
}

void TestResources::SheetHasRoomFor32FramesAndOneBitMask()
{
    const QImage sheet = Sheet();
    QCOMPARE(sheet.size(), QSize(4 * FrameSize, 8 * FrameSize));
    QVERIFY(QImage(QStringLiteral(":/moon/phases.png")).hasAlphaChannel());
    for (int y = 0; y < sheet.height(); ++y) {
        for (int x = 0; x < sheet.width(); ++x) {
            const int alpha = qAlpha(sheet.pixel(x, y));
            if (alpha != 0 && alpha != 255)
                QFAIL(qPrintable(QStringLiteral("partial alpha %1 at %2,%3").arg(alpha).arg(x).arg(y)));
        }
    }
    for (int slot = 23; slot < SlotCount; ++slot)
        QVERIFY2(Count(Opaque(Frame(sheet, slot))) == 0, qPrintable(QString::number(slot)));
    for (int frame = 0; frame < 23; ++frame)
        QVERIFY2(Count(Opaque(Frame(sheet, frame))) > 0, qPrintable(QString::number(frame)));
}

// The About box lays frames 1..11 over the one before: each must cover it.
void TestResources::WaxingFramesContainTheFrameBefore()
{
    const QImage sheet = Sheet();
    for (int k = 1; k <= 11; ++k) {
        const auto before = Opaque(Frame(sheet, k - 1));
        const auto now = Opaque(Frame(sheet, k));
        QVERIFY2(Contains(now, before), qPrintable(QStringLiteral("frame %1").arg(k)));
        QVERIFY2(Count(now) > Count(before), qPrintable(QStringLiteral("frame %1").arg(k)));
    }
}

void TestResources::WaningFramesShrinkFromTheRight()
{
    const QImage sheet = Sheet();
    for (int k = 12; k <= 22; ++k) {
        const auto before = Opaque(Frame(sheet, k - 1));
        const auto now = Opaque(Frame(sheet, k));
        QVERIFY2(Contains(before, now), qPrintable(QStringLiteral("frame %1").arg(k)));
        QVERIFY2(Count(now) < Count(before), qPrintable(QStringLiteral("frame %1").arg(k)));
    }
}

void TestResources::PhaseShape_data()
{
    QTest::addColumn<int>("frame");
    QTest::addColumn<int>("side");  // +1 lit only right of the centre, -1 only left, 0 both
    QTest::addColumn<double>("minShare");  // of the full Moon's lit pixels
    QTest::addColumn<double>("maxShare");
    QTest::newRow("0 thin crescent on the right") << 0 << 1 << 0.03 << 0.2;
    QTest::newRow("5 right half") << 5 << 1 << 0.46 << 0.54;
    QTest::newRow("11 full") << 11 << 0 << 1.0 << 1.0;
    QTest::newRow("17 left half") << 17 << -1 << 0.46 << 0.54;
    QTest::newRow("22 thin crescent on the left") << 22 << -1 << 0.03 << 0.2;
}

void TestResources::PhaseShape()
{
    QFETCH(int, frame);
    QFETCH(int, side);
    QFETCH(double, minShare);
    QFETCH(double, maxShare);
    const QImage sheet = Sheet();
    const double full = Count(Opaque(Frame(sheet, 11)));
    const QImage image = Frame(sheet, frame);
    int lit = 0, left = 0, right = 0, greySum = 0;
    for (int y = 0; y < FrameSize; ++y) {
        for (int x = 0; x < FrameSize; ++x) {
            const QRgb c = image.pixel(x, y);
            if (qAlpha(c) == 0)
                continue;
            ++lit;
            (x + 0.5 < Centre ? left : right) += 1;
            QVERIFY2(std::abs(qRed(c) - qBlue(c)) < 24 && std::abs(qRed(c) - qGreen(c)) < 24,
                     "lit parts are grey");
            greySum += qGray(c);
        }
    }
    const double share = lit / full;
    QVERIFY2(share >= minShare && share <= maxShare, qPrintable(QString::number(share)));
    if (side > 0)
        QCOMPARE(left, 0);
    if (side < 0)
        QCOMPARE(right, 0);
    if (side == 0)
        QCOMPARE(left, right);
    QVERIFY2(greySum / lit > 128, "lit parts are bright");
}

void TestResources::ButtonPicture_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("greyed");
    for (const char* name : {"start", "cancel", "config", "about", "arrow", "exit"})
        QTest::newRow(name) << QStringLiteral(":/icons/%1.png").arg(QLatin1String(name)) << false;
    for (const char* name : {"cancel_disabled", "config_disabled"})
        QTest::newRow(name) << QStringLiteral(":/icons/%1.png").arg(QLatin1String(name)) << true;
}

void TestResources::ButtonPicture()
{
    QFETCH(QString, path);
    QFETCH(bool, greyed);
    const QImage image = QImage(path).convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(image.size(), QSize(16, 16));
    int transparent = 0, opaque = 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const QRgb c = image.pixel(x, y);
            transparent += qAlpha(c) == 0 ? 1 : 0;
            opaque += qAlpha(c) == 255 ? 1 : 0;
            if (greyed && qAlpha(c) > 0)
                QVERIFY2(qRed(c) == qGreen(c) && qGreen(c) == qBlue(c), "greyed pictures have no colour");
        }
    }
    QVERIFY2(transparent > 0, "the button face must show around the picture");
    QVERIFY2(opaque > 16, "the picture must show something");
}

// No sound device here: the calls must come back without blocking or crashing.
void TestResources::PlayingKnownNamesIgnoresCase()
{
    for (const char* name : {"Coll", "COLL", "coll", "ESC", "esc", "Esc"})
        QVERIFY2(playProgramSound(QString::fromLatin1(name)), name);
    // Both in a row, as at a point that collides and escapes: the second cuts off the first.
    QVERIFY(playProgramSound(u"Coll"));
    QVERIFY(playProgramSound(u"ESC"));
    QVERIFY(playProgramSound(u"Coll"));

    // Each sound plays from one file, found once, that holds the compiled-in wave's bytes;
    // the files go with the application object's player.
    for (const char* name : {"coll", "esc"}) {
        const QString file = programSoundFile(QString::fromLatin1(name).toUpper());
        QVERIFY2(!file.isEmpty(), name);
        QCOMPARE(programSoundFile(QString::fromLatin1(name)), file);
        QFile played(file);
        QFile compiledIn(QStringLiteral(":/sounds/%1.wav").arg(QString::fromLatin1(name)));
        QVERIFY(played.open(QIODevice::ReadOnly) && compiledIn.open(QIODevice::ReadOnly));
        QCOMPARE(played.readAll(), compiledIn.readAll());
    }
    QVERIFY(programSoundFile(u"boom").isEmpty());
}

void TestResources::PlayingUnknownNamesDoesNothing()
{
    for (const char* name : {"", "boom", "coll.wav", "COLLISION", "es", " esc", "sounds/esc"})
        QVERIFY2(!playProgramSound(QString::fromLatin1(name)), name);
}

}  // namespace orrimar

QTEST_MAIN(orrimar::TestResources)
#include "test_resources.moc"
