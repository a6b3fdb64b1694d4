#include "export/PartBuffer.h"
#include "export/SharedStringTable.h"
#include "export/ThemePart.h"
#include "export/WorkbookFixedParts.h"
#include "export/WorkbookSource.h"

#include <QBuffer>
#include <QXmlStreamReader>
#include <QtTest>

using namespace nxa::exports;

namespace {

const QByteArray kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";
const QByteArray kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";

struct GeneratedParts {
    QByteArray sharedStrings;
    QByteArray worksheet;
    qint64 declaredWorksheetSize = -1;
    bool ok = false;
};

GeneratedParts generate(const QByteArray &source, const QString &separator = QStringLiteral("\t")) {
    QBuffer device;
    device.setData(source);
    device.open(QIODevice::ReadOnly);
    WorkbookSource scanned(separator);
    GeneratedParts parts;
    if (!scanned.scan(device))
        return parts;
    ByteArrayOutput strings;
    PartBuffer stringsBuffer(&strings);
    scanned.writeSharedStrings(stringsBuffer);
    stringsBuffer.finish();
    device.seek(0);
    ByteArrayOutput sheet;
    PartBuffer sheetBuffer(&sheet);
    parts.ok = scanned.writeWorksheet(device, sheetBuffer) && sheetBuffer.finish();
    parts.sharedStrings = strings.bytes();
    parts.worksheet = sheet.bytes();
    parts.declaredWorksheetSize = scanned.worksheetSize();
    return parts;
}

QByteArray sst(int count, int unique, const QByteArray &items) {
    return kDeclaration + "<sst xmlns=\"" + kMain + "\" count=\"" + QByteArray::number(count) +
           "\" uniqueCount=\"" + QByteArray::number(unique) + "\">" + items + "</sst>";
}

QByteArray sheetStart(const QByteArray &dimension) {
    return kDeclaration + "<worksheet xmlns=\"" + kMain +
           "\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
           "xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\" "
           "mc:Ignorable=\"x14ac\" "
           "xmlns:x14ac=\"http://schemas.microsoft.com/office/spreadsheetml/2009/9/ac\">"
           "<dimension ref=\"" +
           dimension +
           "\"/><sheetViews><sheetView tabSelected=\"1\" workbookViewId=\"0\"/></sheetViews>"
           "<sheetFormatPr defaultRowHeight=\"15\" x14ac:dyDescent=\"0.25\"/><sheetData>";
}

const QByteArray kSheetEnd = "</sheetData><pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" "
                             "bottom=\"0.75\" header=\"0.3\" footer=\"0.3\"/></worksheet>";

QByteArray row(int n, int spans, const QByteArray &cells) {
    return "<row r=\"" + QByteArray::number(n) + "\" spans=\"1:" + QByteArray::number(spans) +
           "\" x14ac:dyDescent=\"0.25\">" + cells + "</row>";
}

QString wellFormednessError(const QByteArray &part) {
    QXmlStreamReader reader(part);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.namespaceUri().isEmpty())
            return QStringLiteral("no namespace on ") + reader.qualifiedName().toString();
    }
    if (reader.hasError())
        return reader.errorString() + QStringLiteral(" at ") +
               QString::number(reader.characterOffset());
    return {};
}

} // namespace

class TestWorkbookParts : public QObject {
    Q_OBJECT

private slots:
    void fixedPartsAsDescribed_data();
    void fixedPartsAsDescribed();
    void everyPartHasOneLineAfterTheDeclaration();
    void everyPartIsWellFormed();
    void themeHoldsTheOfficeSchemes();
    void sharedStringTable_data();
    void sharedStringTable();
    void worksheetOfThreeFullRows();
    void worksheetCellsAndRows_data();
    void worksheetCellsAndRows();
    void declaredWorksheetSizeMatches_data();
    void declaredWorksheetSizeMatches();
    void sourceChangedBetweenPassesFails();
    void sharedStringIndexesFollowFirstAppearance();
    void aSheetHoldsAtMostTheSpreadsheetRowLimit();
};

void TestWorkbookParts::fixedPartsAsDescribed_data() {
    QTest::addColumn<QByteArray>("actual");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("[Content_Types].xml")
        << contentTypesPart()
        << kDeclaration +
               "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
               "<Default Extension=\"rels\" "
               "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
               "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
               "<Override PartName=\"/xl/workbook.xml\" "
               "ContentType=\"application/"
               "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
               "<Override PartName=\"/xl/worksheets/sheet1.xml\" "
               "ContentType=\"application/"
               "vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
               "<Override PartName=\"/xl/theme/theme1.xml\" "
               "ContentType=\"application/vnd.openxmlformats-officedocument.theme+xml\"/>"
               "<Override PartName=\"/xl/styles.xml\" "
               "ContentType=\"application/"
               "vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
               "<Override PartName=\"/xl/sharedStrings.xml\" "
               "ContentType=\"application/"
               "vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml\"/>"
               "<Override PartName=\"/docProps/core.xml\" "
               "ContentType=\"application/vnd.openxmlformats-package.core-properties+xml\"/>"
               "<Override PartName=\"/docProps/app.xml\" "
               "ContentType=\"application/"
               "vnd.openxmlformats-officedocument.extended-properties+xml\"/>"
               "</Types>";

    QTest::newRow("_rels/.rels")
        << packageRelationshipsPart()
        << kDeclaration + "<Relationships "
                          "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                          "<Relationship Id=\"rId3\" "
                          "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                          "relationships/extended-properties\" Target=\"docProps/app.xml\"/>"
                          "<Relationship Id=\"rId2\" "
                          "Type=\"http://schemas.openxmlformats.org/package/2006/relationships/"
                          "metadata/core-properties\" Target=\"docProps/core.xml\"/>"
                          "<Relationship Id=\"rId1\" "
                          "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                          "relationships/officeDocument\" Target=\"xl/workbook.xml\"/>"
                          "</Relationships>";

    QTest::newRow("docProps/core.xml")
        << corePropertiesPart()
        << kDeclaration + "<cp:coreProperties "
                          "xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/"
                          "core-properties\" "
                          "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
                          "xmlns:dcterms=\"http://purl.org/dc/terms/\" "
                          "xmlns:dcmitype=\"http://purl.org/dc/dcmitype/\" "
                          "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">"
                          "<dc:creator>XW_XLSX_Module</dc:creator></cp:coreProperties>";

    QTest::newRow("xl/_rels/workbook.xml.rels")
        << workbookRelationshipsPart()
        << kDeclaration + "<Relationships "
                          "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                          "<Relationship Id=\"rId3\" "
                          "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                          "relationships/styles\" Target=\"styles.xml\"/>"
                          "<Relationship Id=\"rId2\" "
                          "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                          "relationships/theme\" Target=\"theme/theme1.xml\"/>"
                          "<Relationship Id=\"rId1\" "
                          "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                          "relationships/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
                          "<Relationship Id=\"rId4\" "
                          "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                          "relationships/sharedStrings\" Target=\"sharedStrings.xml\"/>"
                          "</Relationships>";

    QTest::newRow("docProps/app.xml")
        << appPropertiesPart()
        << kDeclaration +
               "<Properties "
               "xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/"
               "extended-properties\" "
               "xmlns:vt=\"http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes\">"
               "<Application>Microsoft "
               "Excel</Application><DocSecurity>0</DocSecurity><ScaleCrop>false</ScaleCrop>"
               "<HeadingPairs><vt:vector size=\"2\" "
               "baseType=\"variant\"><vt:variant><vt:lpstr>Worksheets</vt:lpstr></vt:variant>"
               "<vt:variant><vt:i4>1</vt:i4></vt:variant></vt:vector></HeadingPairs>"
               "<TitlesOfParts><vt:vector size=\"1\" "
               "baseType=\"lpstr\"><vt:lpstr>Sheet1</vt:lpstr></vt:vector></TitlesOfParts>"
               "<Company></Company><LinksUpToDate>false</LinksUpToDate><SharedDoc>false</SharedDoc>"
               "<HyperlinksChanged>false</HyperlinksChanged><AppVersion>15.0300</AppVersion></"
               "Properties>";

    QTest::newRow("xl/styles.xml")
        << stylesPart()
        << kDeclaration +
               "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
               "xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\" "
               "mc:Ignorable=\"x14ac\" "
               "xmlns:x14ac=\"http://schemas.microsoft.com/office/spreadsheetml/2009/9/ac\">"
               "<fonts count=\"1\" x14ac:knownFonts=\"1\"><font><sz val=\"11\"/><color "
               "theme=\"1\"/><name val=\"Calibri\"/>"
               "<family val=\"2\"/><scheme val=\"minor\"/></font></fonts>"
               "<fills count=\"2\"><fill><patternFill "
               "patternType=\"none\"/></fill><fill><patternFill "
               "patternType=\"gray125\"/></fill></fills>"
               "<borders "
               "count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
               "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
               "borderId=\"0\"/></cellStyleXfs>"
               "<cellXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" "
               "xfId=\"0\"/></cellXfs>"
               "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" "
               "builtinId=\"0\"/></cellStyles>"
               "<dxfs count=\"0\"/><tableStyles count=\"0\" "
               "defaultTableStyle=\"TableStyleMedium2\" defaultPivotStyle=\"PivotStyleLight16\"/>"
               "<extLst><ext uri=\"{EB79DEF2-80B8-43e5-95BD-54CBDDF9020C}\" "
               "xmlns:x14=\"http://schemas.microsoft.com/office/spreadsheetml/2009/9/main\">"
               "<x14:slicerStyles defaultSlicerStyle=\"SlicerStyleLight1\"/></ext>"
               "<ext uri=\"{9260A510-F301-46a8-8635-F512D64BE5F5}\" "
               "xmlns:x15=\"http://schemas.microsoft.com/office/spreadsheetml/2010/11/main\">"
               "<x15:timelineStyles "
               "defaultTimelineStyle=\"TimeSlicerStyleLight1\"/></ext></extLst></styleSheet>";

    QTest::newRow("xl/workbook.xml")
        << workbookPart()
        << kDeclaration +
               "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
               "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
               "xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\" "
               "mc:Ignorable=\"x15\" "
               "xmlns:x15=\"http://schemas.microsoft.com/office/spreadsheetml/2010/11/main\">"
               "<fileVersion appName=\"xl\" lastEdited=\"6\" lowestEdited=\"6\" "
               "rupBuild=\"14420\"/>"
               "<workbookPr defaultThemeVersion=\"153222\"/>"
               "<mc:AlternateContent "
               "xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\">"
               "<mc:Choice Requires=\"x15\"><x15ac:absPath url=\"C:\\Temp\\xlsx\\\" "
               "xmlns:x15ac=\"http://schemas.microsoft.com/office/spreadsheetml/2010/11/ac\"/></"
               "mc:Choice></mc:AlternateContent>"
               "<bookViews><workbookView xWindow=\"0\" yWindow=\"0\" windowWidth=\"20490\" "
               "windowHeight=\"7755\"/></bookViews>"
               "<sheets><sheet name=\"Sheet1\" sheetId=\"1\" r:id=\"rId1\"/></sheets><calcPr "
               "calcId=\"152511\"/>"
               "<extLst><ext uri=\"{140A7094-0E35-4892-8432-C4D2E57EDEB5}\" "
               "xmlns:x15=\"http://schemas.microsoft.com/office/spreadsheetml/2010/11/main\">"
               "<x15:workbookPr chartTrackingRefBase=\"1\"/></ext></extLst></workbook>";
}

void TestWorkbookParts::fixedPartsAsDescribed() {
    QFETCH(QByteArray, actual);
    QFETCH(QByteArray, expected);
    QCOMPARE(actual, expected);
}

void TestWorkbookParts::everyPartHasOneLineAfterTheDeclaration() {
    const GeneratedParts generated = generate("a\tb\t\r\n\r\n1\t\r\n");
    QList<QByteArray> parts{generated.sharedStrings, generated.worksheet};
    const QStringList expectedNames{
        "[Content_Types].xml",        "_rels/.rels",        "docProps/app.xml",
        "docProps/core.xml",          "xl/styles.xml",      "xl/workbook.xml",
        "xl/_rels/workbook.xml.rels", "xl/theme/theme1.xml"};
    QStringList names;
    for (const FixedPart &part : fixedParts()) {
        names.append(QString::fromLatin1(part.name));
        parts.append(part.bytes);
    }
    QCOMPARE(names, expectedNames);
    for (const QByteArray &part : parts) {
        QVERIFY(part.startsWith(kDeclaration));
        const QByteArray body = part.mid(kDeclaration.size());
        QVERIFY(!body.contains('\r') && !body.contains('\n'));
        QVERIFY(!body.contains('\''));
        QVERIFY(body.endsWith('>'));
    }
}

void TestWorkbookParts::everyPartIsWellFormed() {
    const GeneratedParts generated = generate(
        "  Name\tRed\tRED\t\r\nA&B<C>\t12\t\tJo\x01hn\t_x0041_\t\r\n\r\n\xEF\xBF\xBE\t-1e5\r\n");
    QVERIFY(generated.ok);
    QList<QByteArray> parts{generated.sharedStrings, generated.worksheet};
    for (const FixedPart &part : fixedParts())
        parts.append(part.bytes);
    for (const QByteArray &part : parts)
        QVERIFY2(wellFormednessError(part).isEmpty(), qPrintable(wellFormednessError(part)));
}

void TestWorkbookParts::themeHoldsTheOfficeSchemes() {
    const QByteArray theme = themePart();
    for (char c : theme)
        QVERIFY(static_cast<unsigned char>(c) < 0x80);
    QVERIFY(theme.size() > 5000 && theme.size() < 9000);

    QXmlStreamReader reader(theme);
    const QString drawing = QStringLiteral("http://schemas.openxmlformats.org/drawingml/2006/main");
    QMap<QString, QString> colours;
    QString current;
    QStringList schemes;
    QString majorLatin;
    QString minorLatin;
    QString family;
    QString fontScheme;
    QStringList eastAsian;
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement())
            continue;
        const QString name = reader.name().toString();
        const auto attr = [&](const char *a) {
            return reader.attributes().value(QLatin1String(a)).toString();
        };
        if (reader.namespaceUri() == drawing && reader.name() == QLatin1String("theme"))
            QCOMPARE(attr("name"), QStringLiteral("Office Theme"));
        if (name == QLatin1String("clrScheme") || name == QLatin1String("fontScheme") ||
            name == QLatin1String("fmtScheme"))
            schemes.append(name + QLatin1Char('=') + attr("name"));
        if (name == QLatin1String("majorFont") || name == QLatin1String("minorFont"))
            fontScheme = name;
        if (name == QLatin1String("latin"))
            (fontScheme == QLatin1String("majorFont") ? majorLatin : minorLatin) = attr("typeface");
        if (name == QLatin1String("font") &&
            QStringList{"Jpan", "Hang", "Hans", "Hant"}.contains(attr("script")))
            eastAsian.append(attr("typeface"));
        if (QStringList{"dk1", "lt1", "dk2", "lt2", "accent1", "accent2", "accent3", "accent4",
                        "accent5", "accent6", "hlink", "folHlink"}
                .contains(name))
            current = name;
        if (name == QLatin1String("sysClr"))
            colours[current] = attr("val") + QLatin1Char(' ') + attr("lastClr");
        if (name == QLatin1String("srgbClr") && !current.isEmpty() && !colours.contains(current))
            colours[current] = attr("val");
        if (name == QLatin1String("themeFamily"))
            family = reader.namespaceUri().toString() + QLatin1Char(' ') + attr("name");
    }
    QVERIFY2(!reader.hasError(), qPrintable(reader.errorString()));
    QCOMPARE(schemes, (QStringList{"clrScheme=Office", "fontScheme=Office", "fmtScheme=Office"}));
    const QMap<QString, QString> expected{{"dk1", "windowText 000000"},
                                          {"lt1", "window FFFFFF"},
                                          {"dk2", "44546A"},
                                          {"lt2", "E7E6E6"},
                                          {"accent1", "5B9BD5"},
                                          {"accent2", "ED7D31"},
                                          {"accent3", "A5A5A5"},
                                          {"accent4", "FFC000"},
                                          {"accent5", "4472C4"},
                                          {"accent6", "70AD47"},
                                          {"hlink", "0563C1"},
                                          {"folHlink", "954F72"}};
    QCOMPARE(colours, expected);
    QCOMPARE(majorLatin, QStringLiteral("Calibri Light"));
    QCOMPARE(minorLatin, QStringLiteral("Calibri"));
    QCOMPARE(eastAsian.size(), 8);
    for (const QString &typeface : eastAsian)
        QVERIFY(!typeface.isEmpty() &&
                typeface.count(QLatin1Char('?')) + typeface.count(QLatin1Char(' ')) ==
                    typeface.size());
    QCOMPARE(family,
             QStringLiteral("http://schemas.microsoft.com/office/thememl/2012/main Office Theme"));
}

void TestWorkbookParts::sharedStringTable_data() {
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("no text fields") << QByteArray("1\t2\t\r\n3.5\r\n") << sst(0, 0, "");
    QTest::newRow("empty source") << QByteArray() << sst(0, 0, "");
    QTest::newRow("repeated text") << QByteArray("Ann\tBob\t\r\nAnn\t\r\n")
                                   << sst(3, 2, "<si><t>Ann</t></si><si><t>Bob</t></si>");
    QTest::newRow("case matters") << QByteArray("Red\tRED\tRed\t")
                                  << sst(3, 2, "<si><t>Red</t></si><si><t>RED</t></si>");
    QTest::newRow("markup escaped")
        << QByteArray("A&B<C>") << sst(1, 1, "<si><t>A&amp;B&lt;C&gt;</t></si>");
    QTest::newRow("leading spaces and apostrophes")
        << QByteArray("   O'Neil\t 12\t")
        << sst(2, 2, "<si><t>   O'Neil</t></si><si><t> 12</t></si>");
    QTest::newRow("control character")
        << QByteArray("Jo\x02hn\r\n") << sst(1, 1, "<si><t>Jo_x0002_hn</t></si>");
    QTest::newRow("order of first appearance")
        << QByteArray("b\t1\ta\r\n\r\nc\tb\r\n")
        << sst(4, 3, "<si><t>b</t></si><si><t>a</t></si><si><t>c</t></si>");
}

void TestWorkbookParts::sharedStringTable() {
    QFETCH(QByteArray, source);
    QFETCH(QByteArray, expected);
    QCOMPARE(generate(source).sharedStrings, expected);
}

void TestWorkbookParts::worksheetOfThreeFullRows() {
    QByteArray source;
    for (int line = 0; line < 3; ++line) {
        for (int field = 0; field < 13; ++field)
            source += "x\t";
        source += "\r\n";
    }
    const GeneratedParts parts = generate(source);
    QVERIFY(parts.ok);
    QVERIFY(parts.worksheet.contains("<dimension ref=\"A1:M3\"/>"));
    QCOMPARE(parts.worksheet.count("spans=\"1:13\""), 3);
    QVERIFY(parts.worksheet.contains("<c r=\"M3\" t=\"s\"><v>0</v></c></row></sheetData>"));
    QCOMPARE(parts.sharedStrings, sst(39, 1, "<si><t>x</t></si>"));
}

void TestWorkbookParts::worksheetCellsAndRows_data() {
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("numbers and texts")
        << QByteArray(" 42\t42\t42.50\t1e5\r\n")
        << sheetStart("A1:D1") +
               row(1, 4,
                   "<c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\"><v>42</v></c>"
                   "<c r=\"C1\"><v>42.5</v></c><c r=\"D1\"><v>1e5</v></c>") +
               kSheetEnd;
    QTest::newRow("empty field skips a column")
        << QByteArray("x\t\ty\t\r\n")
        << sheetStart("A1:C1") +
               row(1, 3, "<c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"C1\" t=\"s\"><v>1</v></c>") +
               kSheetEnd;
    QTest::newRow("empty lines advance the row number")
        << QByteArray("a\r\n\r\n\r\nb\tc\r\n")
        << sheetStart("A1:B4") + row(1, 2, "<c r=\"A1\" t=\"s\"><v>0</v></c>") +
               row(4, 2, "<c r=\"A4\" t=\"s\"><v>1</v></c><c r=\"B4\" t=\"s\"><v>2</v></c>") +
               kSheetEnd;
    QTest::newRow("repeated text shares its index")
        << QByteArray("Ann\r\nAnn\r\n")
        << sheetStart("A1:A2") + row(1, 1, "<c r=\"A1\" t=\"s\"><v>0</v></c>") +
               row(2, 1, "<c r=\"A2\" t=\"s\"><v>0</v></c>") + kSheetEnd;
    QTest::newRow("fields only of separators")
        << QByteArray("\t\t\r\n") << sheetStart("A1:B1") + row(1, 2, "") + kSheetEnd;
    QTest::newRow("empty source") << QByteArray() << sheetStart("A1") + kSheetEnd;
    QTest::newRow("only empty lines") << QByteArray("\r\n\r\n") << sheetStart("A1") + kSheetEnd;
}

void TestWorkbookParts::worksheetCellsAndRows() {
    QFETCH(QByteArray, source);
    QFETCH(QByteArray, expected);
    const GeneratedParts parts = generate(source);
    QVERIFY(parts.ok);
    QCOMPARE(parts.worksheet, expected);
}

void TestWorkbookParts::declaredWorksheetSizeMatches_data() {
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QString>("separator");
    QTest::newRow("empty") << QByteArray() << QStringLiteral("\t");
    QTest::newRow("mixed") << QByteArray("a\t1\t\r\n\r\nb\t\tc\r\n") << QStringLiteral("\t");
    QByteArray wide;
    for (int i = 0; i < 800; ++i)
        wide += QByteArray::number(i % 3 ? i : -i) + (i % 5 ? "" : "x") + ";";
    QTest::newRow("800 columns, 10 rows")
        << QByteArray(wide + "\r\n").repeated(10) << QStringLiteral(";");
    QByteArray tall;
    for (int i = 0; i < 12000; ++i)
        tall += "  " + QByteArray::number(i % 97) + "\t" + QByteArray::number(i) + "\t\t" +
                (i % 10 == 0 ? "" : "n\xC3\xA4me") + "\r\n";
    QTest::newRow("12000 rows across digit counts") << tall << QStringLiteral("\t");
}

void TestWorkbookParts::declaredWorksheetSizeMatches() {
    QFETCH(QByteArray, source);
    QFETCH(QString, separator);
    const GeneratedParts parts = generate(source, separator);
    QVERIFY(parts.ok);
    QCOMPARE(parts.declaredWorksheetSize, parts.worksheet.size());
    QVERIFY(wellFormednessError(parts.worksheet).isEmpty());
}

void TestWorkbookParts::sourceChangedBetweenPassesFails() {
    QBuffer device;
    device.setData("a\tb\r\n");
    device.open(QIODevice::ReadOnly);
    WorkbookSource scanned(QStringLiteral("\t"));
    QVERIFY(scanned.scan(device));
    for (const QByteArray &changed :
         {QByteArray("a\tc\r\n"), QByteArray("a\tb\r\nb\r\n"), QByteArray("a\tb\ta\r\n")}) {
        QBuffer other;
        other.setData(changed);
        other.open(QIODevice::ReadOnly);
        PartBuffer counter;
        QVERIFY(!scanned.writeWorksheet(other, counter));
    }
}

void TestWorkbookParts::sharedStringIndexesFollowFirstAppearance() {
    SharedStringTable table;
    std::vector<std::string> texts;
    // Appended rather than "t" + ..., which GCC 12 at -O3 flags with a false -Wrestrict.
    for (int i = 0; i < 5000; ++i)
        texts.push_back(std::string("t").append(std::to_string(i * 7919 % 5000)));
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 5000; ++i)
            QCOMPARE(table.intern(texts[static_cast<size_t>(i)]), i);
    }
    QCOMPARE(table.uniqueCount(), 5000);
    QCOMPARE(table.indexOf("t0"), 0);
    QCOMPARE(table.indexOf("T0"), -1);
    QCOMPARE(table.indexOf(""), -1);
    QCOMPARE(table.intern(""), 5000);
    QCOMPARE(table.text(4999), texts[4999]);
    // Texts alike in their first bytes, their length or but for a zero byte.
    const std::string alike[] = {"abcdefgh",
                                 "abcdefghi",
                                 "abcdefghj",
                                 std::string("abcdefgh\0", 9),
                                 "abc",
                                 std::string("abc\0", 4),
                                 std::string(300, 'x'),
                                 std::string(301, 'x')};
    for (int i = 0; i < 8; ++i)
        QCOMPARE(table.intern(alike[i]), 5001 + i);
    for (int i = 0; i < 8; ++i)
        QCOMPARE(table.indexOf(alike[i]), 5001 + i);
}

void TestWorkbookParts::aSheetHoldsAtMostTheSpreadsheetRowLimit() {
    // At the real limit, by the scan alone (the writer test splits at a small
    // injected one): the title and 1,048,575 data rows fill a sheet, one row
    // more begins the next.
    QBuffer device;
    device.setData("T\r\n" + QByteArray("1\r\n").repeated(1048576));
    device.open(QIODevice::ReadOnly);
    WorkbookSource scanned(QStringLiteral("\t"));
    QVERIFY(scanned.scan(device));
    QCOMPARE(scanned.sheetCount(), 2);
    QCOMPARE(scanned.sheetRowCount(0), 1048576);
    QCOMPARE(scanned.sheetRowCount(1), 2);
    QCOMPARE(scanned.textCellCount(), 2);
}

QTEST_GUILESS_MAIN(TestWorkbookParts)
#include "tst_WorkbookParts.moc"
