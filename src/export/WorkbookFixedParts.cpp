#include "export/WorkbookFixedParts.h"

#include "export/ThemePart.h"

namespace nxa::exports {

QByteArray fixedPartText(const char *body) {
    return fixedPartText(QByteArray(body));
}

QByteArray fixedPartText(const QByteArray &body) {
    QByteArray text(kXmlDeclaration.data(), static_cast<qsizetype>(kXmlDeclaration.size()));
    text.append(body);
    text.replace('\'', '"');
    return text;
}

QByteArray worksheetEntry(int sheet) {
    return "xl/worksheets/sheet" + QByteArray::number(sheet) + ".xml";
}

namespace {

// A sheet name as XML text: it holds no apostrophe afterwards, so the
// apostrophe replacement of the structural text leaves it alone.
QByteArray escapedName(const QString &name) {
    QByteArray text = name.toUtf8();
    text.replace('&', "&amp;");
    text.replace('<', "&lt;");
    text.replace('>', "&gt;");
    text.replace('"', "&quot;");
    text.replace('\'', "&apos;");
    return text;
}

// The worksheet relationships: the first sheet keeps rId1, which it has
// always had; the others follow the styles, theme and shared strings.
QByteArray sheetRelationshipId(int sheet) {
    return "rId" + QByteArray::number(sheet == 1 ? 1 : sheet + 3);
}

} // namespace

QByteArray contentTypesPart(int sheetCount) {
    QByteArray sheets;
    for (int n = 1; n <= sheetCount; ++n)
        sheets += "<Override PartName='/" + worksheetEntry(n) +
                  "' ContentType='application/"
                  "vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml'/>";
    return fixedPartText(
        "<Types xmlns='http://schemas.openxmlformats.org/package/2006/content-types'>"
        "<Default Extension='rels' "
        "ContentType='application/vnd.openxmlformats-package.relationships+xml'/>"
        "<Default Extension='xml' ContentType='application/xml'/>"
        "<Override PartName='/xl/workbook.xml' "
        "ContentType='application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml'/"
        ">" +
        sheets +
        "<Override PartName='/xl/theme/theme1.xml' "
        "ContentType='application/vnd.openxmlformats-officedocument.theme+xml'/>"
        "<Override PartName='/xl/styles.xml' "
        "ContentType='application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml'/>"
        "<Override PartName='/xl/sharedStrings.xml' "
        "ContentType='application/"
        "vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml'/>"
        "<Override PartName='/docProps/core.xml' "
        "ContentType='application/vnd.openxmlformats-package.core-properties+xml'/>"
        "<Override PartName='/docProps/app.xml' "
        "ContentType='application/vnd.openxmlformats-officedocument.extended-properties+xml'/>"
        "</Types>");
}

QByteArray packageRelationshipsPart() {
    return fixedPartText(
        "<Relationships xmlns='http://schemas.openxmlformats.org/package/2006/relationships'>"
        "<Relationship Id='rId3' "
        "Type='http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
        "extended-properties' Target='docProps/app.xml'/>"
        "<Relationship Id='rId2' "
        "Type='http://schemas.openxmlformats.org/package/2006/relationships/metadata/"
        "core-properties' Target='docProps/core.xml'/>"
        "<Relationship Id='rId1' "
        "Type='http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
        "officeDocument' Target='xl/workbook.xml'/>"
        "</Relationships>");
}

QByteArray appPropertiesPart(const QStringList &sheetNames) {
    const QByteArray count = QByteArray::number(sheetNames.size());
    QByteArray titles;
    for (const QString &name : sheetNames)
        titles += "<vt:lpstr>" + escapedName(name) + "</vt:lpstr>";
    return fixedPartText(
        "<Properties "
        "xmlns='http://schemas.openxmlformats.org/officeDocument/2006/extended-properties' "
        "xmlns:vt='http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes'>"
        "<Application>Microsoft Excel</Application><DocSecurity>0</DocSecurity>"
        "<ScaleCrop>false</ScaleCrop>"
        "<HeadingPairs><vt:vector size='2' baseType='variant'>"
        "<vt:variant><vt:lpstr>Worksheets</vt:lpstr></vt:variant>"
        "<vt:variant><vt:i4>" +
        count +
        "</vt:i4></vt:variant></vt:vector></HeadingPairs>"
        "<TitlesOfParts><vt:vector size='" +
        count + "' baseType='lpstr'>" + titles +
        "</vt:vector></TitlesOfParts>"
        "<Company></Company><LinksUpToDate>false</LinksUpToDate><SharedDoc>false</SharedDoc>"
        "<HyperlinksChanged>false</HyperlinksChanged><AppVersion>15.0300</AppVersion>"
        "</Properties>");
}

QByteArray corePropertiesPart() {
    return fixedPartText(
        "<cp:coreProperties "
        "xmlns:cp='http://schemas.openxmlformats.org/package/2006/metadata/core-properties' "
        "xmlns:dc='http://purl.org/dc/elements/1.1/' xmlns:dcterms='http://purl.org/dc/terms/' "
        "xmlns:dcmitype='http://purl.org/dc/dcmitype/' "
        "xmlns:xsi='http://www.w3.org/2001/XMLSchema-instance'>"
        "<dc:creator>XW_XLSX_Module</dc:creator></cp:coreProperties>");
}

QByteArray stylesPart() {
    return fixedPartText(
        "<styleSheet xmlns='http://schemas.openxmlformats.org/spreadsheetml/2006/main' "
        "xmlns:mc='http://schemas.openxmlformats.org/markup-compatibility/2006' "
        "mc:Ignorable='x14ac' "
        "xmlns:x14ac='http://schemas.microsoft.com/office/spreadsheetml/2009/9/ac'>"
        "<fonts count='1' x14ac:knownFonts='1'><font><sz val='11'/><color theme='1'/>"
        "<name val='Calibri'/><family val='2'/><scheme val='minor'/></font></fonts>"
        "<fills count='2'><fill><patternFill patternType='none'/></fill>"
        "<fill><patternFill patternType='gray125'/></fill></fills>"
        "<borders count='1'><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
        "<cellStyleXfs count='1'><xf numFmtId='0' fontId='0' fillId='0' borderId='0'/>"
        "</cellStyleXfs>"
        "<cellXfs count='1'><xf numFmtId='0' fontId='0' fillId='0' borderId='0' xfId='0'/>"
        "</cellXfs>"
        "<cellStyles count='1'><cellStyle name='Normal' xfId='0' builtinId='0'/></cellStyles>"
        "<dxfs count='0'/>"
        "<tableStyles count='0' defaultTableStyle='TableStyleMedium2' "
        "defaultPivotStyle='PivotStyleLight16'/>"
        "<extLst>"
        "<ext uri='{EB79DEF2-80B8-43e5-95BD-54CBDDF9020C}' "
        "xmlns:x14='http://schemas.microsoft.com/office/spreadsheetml/2009/9/main'>"
        "<x14:slicerStyles defaultSlicerStyle='SlicerStyleLight1'/></ext>"
        "<ext uri='{9260A510-F301-46a8-8635-F512D64BE5F5}' "
        "xmlns:x15='http://schemas.microsoft.com/office/spreadsheetml/2010/11/main'>"
        "<x15:timelineStyles defaultTimelineStyle='TimeSlicerStyleLight1'/></ext>"
        "</extLst></styleSheet>");
}

QByteArray workbookPart(const QStringList &sheetNames) {
    QByteArray sheets;
    for (int n = 1; n <= sheetNames.size(); ++n)
        sheets += "<sheet name='" + escapedName(sheetNames[n - 1]) + "' sheetId='" +
                  QByteArray::number(n) + "' r:id='" + sheetRelationshipId(n) + "'/>";
    return fixedPartText(
        "<workbook xmlns='http://schemas.openxmlformats.org/spreadsheetml/2006/main' "
        "xmlns:r='http://schemas.openxmlformats.org/officeDocument/2006/relationships' "
        "xmlns:mc='http://schemas.openxmlformats.org/markup-compatibility/2006' "
        "mc:Ignorable='x15' "
        "xmlns:x15='http://schemas.microsoft.com/office/spreadsheetml/2010/11/main'>"
        "<fileVersion appName='xl' lastEdited='6' lowestEdited='6' rupBuild='14420'/>"
        "<workbookPr defaultThemeVersion='153222'/>"
        "<mc:AlternateContent "
        "xmlns:mc='http://schemas.openxmlformats.org/markup-compatibility/2006'>"
        "<mc:Choice Requires='x15'><x15ac:absPath url='C:\\Temp\\xlsx\\' "
        "xmlns:x15ac='http://schemas.microsoft.com/office/spreadsheetml/2010/11/ac'/>"
        "</mc:Choice></mc:AlternateContent>"
        "<bookViews><workbookView xWindow='0' yWindow='0' windowWidth='20490' "
        "windowHeight='7755'/></bookViews>"
        "<sheets>" +
        sheets +
        "</sheets>"
        "<calcPr calcId='152511'/>"
        "<extLst><ext uri='{140A7094-0E35-4892-8432-C4D2E57EDEB5}' "
        "xmlns:x15='http://schemas.microsoft.com/office/spreadsheetml/2010/11/main'>"
        "<x15:workbookPr chartTrackingRefBase='1'/></ext></extLst>"
        "</workbook>");
}

QByteArray workbookRelationshipsPart(int sheetCount) {
    QByteArray later;
    for (int n = 2; n <= sheetCount; ++n)
        later += "<Relationship Id='" + sheetRelationshipId(n) +
                 "' "
                 "Type='http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
                 "worksheet' Target='worksheets/sheet" +
                 QByteArray::number(n) + ".xml'/>";
    return fixedPartText(
        "<Relationships xmlns='http://schemas.openxmlformats.org/package/2006/relationships'>"
        "<Relationship Id='rId3' "
        "Type='http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles' "
        "Target='styles.xml'/>"
        "<Relationship Id='rId2' "
        "Type='http://schemas.openxmlformats.org/officeDocument/2006/relationships/theme' "
        "Target='theme/theme1.xml'/>"
        "<Relationship Id='rId1' "
        "Type='http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet' "
        "Target='worksheets/sheet1.xml'/>"
        "<Relationship Id='rId4' "
        "Type='http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
        "sharedStrings' Target='sharedStrings.xml'/>" +
        later + "</Relationships>");
}

std::vector<FixedPart> fixedParts(const QStringList &sheetNames) {
    const auto sheetCount = static_cast<int>(sheetNames.size());
    return {{"[Content_Types].xml", contentTypesPart(sheetCount)},
            {"_rels/.rels", packageRelationshipsPart()},
            {"docProps/app.xml", appPropertiesPart(sheetNames)},
            {"docProps/core.xml", corePropertiesPart()},
            {"xl/styles.xml", stylesPart()},
            {"xl/workbook.xml", workbookPart(sheetNames)},
            {"xl/_rels/workbook.xml.rels", workbookRelationshipsPart(sheetCount)},
            {"xl/theme/theme1.xml", themePart()}};
}

} // namespace nxa::exports
