#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <string_view>
#include <vector>

namespace nxa::exports {

// Every part opens with this declaration and CR LF; the rest stands on one line.
inline constexpr std::string_view kXmlDeclaration =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";
inline constexpr std::string_view kSpreadsheetNamespace =
    "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
inline constexpr std::string_view kRelationshipsNamespace =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
inline constexpr std::string_view kMarkupCompatibilityNamespace =
    "http://schemas.openxmlformats.org/markup-compatibility/2006";
inline constexpr std::string_view kX14acNamespace =
    "http://schemas.microsoft.com/office/spreadsheetml/2009/9/ac";

// The parts that do not depend on the cells, as stored (the theme is in
// ThemePart.h). Those that list the worksheets take their count or names; the
// defaults give the one-sheet workbook.
QByteArray contentTypesPart(int sheetCount = 1);
QByteArray packageRelationshipsPart();
QByteArray appPropertiesPart(const QStringList &sheetNames = {QStringLiteral("Sheet1")});
QByteArray corePropertiesPart();
QByteArray stylesPart();
QByteArray workbookPart(const QStringList &sheetNames = {QStringLiteral("Sheet1")});
QByteArray workbookRelationshipsPart(int sheetCount = 1);

struct FixedPart {
    const char *name;
    QByteArray bytes;
};

// The fixed parts with their entry names, in the order they are stored.
std::vector<FixedPart> fixedParts(const QStringList &sheetNames = {QStringLiteral("Sheet1")});

// Entry names of the generated parts, stored after the fixed ones: the shared
// strings, then the worksheets from 1 on.
inline constexpr const char *kSharedStringsEntry = "xl/sharedStrings.xml";
inline constexpr const char *kWorksheetEntry = "xl/worksheets/sheet1.xml";
QByteArray worksheetEntry(int sheet);

// The declaration followed by body, apostrophes turned into double quotes:
// the fixed texts are written with apostrophes to keep them readable here.
QByteArray fixedPartText(const char *body);
QByteArray fixedPartText(const QByteArray &body);

} // namespace nxa::exports
