// `cmake --install` into a temporary prefix: the program, the desktop entry, the icon set and the
// map file type land where desktops look for them, and each one is well formed.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QString sourceDir = QStringLiteral(ZIRF_SOURCE_DIR);
const QString buildDir = QStringLiteral(ZIRF_BUILD_DIR);

struct ToolRun {
  int exitCode = -1; // -1 when the tool could not be started or did not finish
  QString output;    // standard output and standard error together
};

// dataDir, when given, is put first in XDG_DATA_DIRS so the tool accepts a database kept there.
ToolRun RunTool(const QString &program, const QStringList &arguments, const QString &dataDir = QString()) {
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.remove("DESTDIR"); // would send the install somewhere other than the prefix
  if (!dataDir.isEmpty())
    environment.insert("XDG_DATA_DIRS", dataDir + ":" + environment.value("XDG_DATA_DIRS", "/usr/share"));
  process.setProcessEnvironment(environment);
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(program, arguments);
  ToolRun run;
  if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
    run.output = program + ": " + process.errorString();
    return run;
  }
  run.exitCode = process.exitCode();
  run.output = QString::fromLocal8Bit(process.readAll());
  return run;
}

// A tool the checks need; the test fails (never skips) when scripts/install-deps.sh was not run.
QString RequiredTool(const char *name) {
  const QString path = QStandardPaths::findExecutable(name);
  EXPECT_FALSE(path.isEmpty()) << name << " is missing: run scripts/install-deps.sh";
  return path;
}

QByteArray FileBytes(const QString &path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The install runs once; every test looks at the same prefix.
class InstalledTree : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    prefix = std::make_unique<QTemporaryDir>();
    install = RunTool(ZIRF_CMAKE_COMMAND, {"--install", buildDir, "--prefix", prefix->path()});
  }
  static void TearDownTestSuite() { prefix.reset(); }

  void SetUp() override { ASSERT_EQ(install.exitCode, 0) << install.output.toStdString(); }

  static QString Installed(const QString &relative) { return prefix->path() + "/" + relative; }

  static inline std::unique_ptr<QTemporaryDir> prefix;
  static inline ToolRun install;
};

const int iconSizes[] = {16, 32, 48, 64, 128, 256};

QString IconPath(int size) { return QString("share/icons/hicolor/%1x%1/apps/zirf.png").arg(size); }

TEST_F(InstalledTree, HoldsExactlyTheProgramEntryIconsAndMimeType) {
  QSet<QString> expected = {"bin/zirf", "share/applications/zirf.desktop", "share/mime/packages/zirf.xml",
                            "share/icons/hicolor/scalable/apps/zirf.svg"};
  for (int size : iconSizes)
    expected.insert(IconPath(size));
  QSet<QString> found;
  QDirIterator it(prefix->path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (it.hasNext())
    found.insert(QDir(prefix->path()).relativeFilePath(it.next()));
  EXPECT_EQ(found, expected) << "installed: " << QStringList(found.values()).join(' ').toStdString();

  const QFileInfo program(Installed("bin/zirf"));
  EXPECT_TRUE(program.isExecutable());
  EXPECT_GT(program.size(), 0);
}

TEST_F(InstalledTree, DesktopEntryValidatesAndStartsZirfWithItsIconAndMapType) {
  const QString validator = RequiredTool("desktop-file-validate");
  ASSERT_FALSE(validator.isEmpty());
  const QString entry = Installed("share/applications/zirf.desktop");
  const ToolRun check = RunTool(validator, {entry});
  EXPECT_EQ(check.exitCode, 0) << check.output.toStdString();
  EXPECT_EQ(check.output.toStdString(), "") << "warnings count as faults";

  const QStringList lines = QString::fromUtf8(FileBytes(entry)).split('\n');
  for (const char *line : {"[Desktop Entry]", "Type=Application", "Name=ZIRF", "Exec=zirf %f", "Icon=zirf",
                           "Categories=Graphics;2DGraphics;RasterGraphics;", "MimeType=application/x-zirf-map;"})
    EXPECT_TRUE(lines.contains(line)) << line;
  EXPECT_EQ(lines.first(), "[Desktop Entry]");
}

TEST_F(InstalledTree, IconsHaveTheirSizesAndShowOneSharpDesign) {
  const QImage smallest(Installed(IconPath(16)));
  ASSERT_EQ(smallest.size(), QSize(16, 16));
  // The design is drawn on a 16 x 16 grid: every size is the 16-pixel icon enlarged in whole blocks.
  for (int size : iconSizes) {
    const QImage icon(Installed(IconPath(size)));
    ASSERT_EQ(icon.size(), QSize(size, size)) << size;
    const QImage blocks = smallest.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    EXPECT_EQ(icon.convertToFormat(QImage::Format_RGB32), blocks.convertToFormat(QImage::Format_RGB32)) << size;
  }
  // The corners are grid lines, the top-left tile is blue, the bottom-right tile dark with a white middle.
  EXPECT_EQ(smallest.pixel(0, 0), qRgb(0xff, 0x00, 0xff));
  EXPECT_EQ(smallest.pixel(15, 15), qRgb(0xff, 0x00, 0xff));
  EXPECT_EQ(smallest.pixel(1, 1), qRgb(0x2e, 0x7d, 0xd7));
  EXPECT_EQ(smallest.pixel(14, 1), qRgb(0xf2, 0xb6, 0x32));
  EXPECT_EQ(smallest.pixel(1, 14), qRgb(0x5c, 0xb8, 0x5c));
  EXPECT_EQ(smallest.pixel(9, 9), qRgb(0x2b, 0x2b, 0x40));
  EXPECT_EQ(smallest.pixel(11, 12), qRgb(0xff, 0xff, 0xff));
}

TEST_F(InstalledTree, WindowIconIsTheInstalledIcon) {
  const struct {
    int size;
    const char *resource; // the file the window's icon is built from
  } windowIcons[] = {{16, "icon-16.png"}, {32, "icon.png"},      {48, "icon-48.png"},
                     {64, "icon-64.png"}, {128, "icon-128.png"}, {256, "icon-256.png"}};
  for (const auto &icon : windowIcons) {
    const QByteArray window = FileBytes(sourceDir + "/platform/icons/" + icon.resource);
    EXPECT_FALSE(window.isEmpty()) << icon.resource;
    EXPECT_EQ(window, FileBytes(Installed(IconPath(icon.size)))) << icon.resource;
  }
}

TEST_F(InstalledTree, ScalableIconIsAnSvgOnTheSixteenUnitGrid) {
  QFile file(Installed("share/icons/hicolor/scalable/apps/zirf.svg"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  QXmlStreamReader svg(&file);
  ASSERT_TRUE(svg.readNextStartElement());
  EXPECT_EQ(svg.name(), QStringLiteral("svg"));
  EXPECT_EQ(svg.namespaceUri(), QStringLiteral("http://www.w3.org/2000/svg"));
  EXPECT_EQ(svg.attributes().value("viewBox"), QStringLiteral("0 0 16 16"));
  int rectangles = 0;
  while (svg.readNextStartElement()) {
    ++rectangles;
    EXPECT_EQ(svg.name(), QStringLiteral("rect"));
    svg.skipCurrentElement();
  }
  EXPECT_FALSE(svg.hasError()) << svg.errorString().toStdString();
  EXPECT_EQ(rectangles, 6); // grid background, four tiles, the white square
}

TEST_F(InstalledTree, MimeTypeNamesMapFilesAndBuildsIntoADatabase) {
  const QString mimeXml = Installed("share/mime/packages/zirf.xml");
  QFile file(mimeXml);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  QXmlStreamReader xml(&file);
  QStringList seen; // element: value, in document order
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement)
      continue;
    if (xml.name() == QStringLiteral("mime-type"))
      seen << "type: " + xml.attributes().value("type").toString();
    else if (xml.name() == QStringLiteral("comment"))
      seen << "comment: " + xml.readElementText();
    else if (xml.name() == QStringLiteral("glob"))
      seen << "glob: " + xml.attributes().value("pattern").toString();
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  EXPECT_EQ(seen, QStringList({"type: application/x-zirf-map", "comment: ZIRF tile map", "glob: *.zirf-map"}));

  // What a desktop does after the install: build the database and find the type by its glob.
  const QString updater = RequiredTool("update-mime-database");
  ASSERT_FALSE(updater.isEmpty());
  QTemporaryDir database;
  ASSERT_TRUE(QDir().mkpath(database.path() + "/mime/packages"));
  ASSERT_TRUE(QFile::copy(mimeXml, database.path() + "/mime/packages/zirf.xml"));
  const ToolRun update = RunTool(updater, {database.path() + "/mime"}, database.path());
  EXPECT_EQ(update.exitCode, 0) << update.output.toStdString();
  EXPECT_EQ(update.output.toStdString(), "") << "warnings count as faults";
  EXPECT_TRUE(QFileInfo::exists(database.path() + "/mime/application/x-zirf-map.xml"));
  EXPECT_TRUE(
      QString::fromUtf8(FileBytes(database.path() + "/mime/globs2")).contains(":application/x-zirf-map:*.zirf-map"));
}

} // namespace
