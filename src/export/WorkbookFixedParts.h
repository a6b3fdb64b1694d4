#pragma once

#include <QByteArray>

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

// The parts that are the same in every workbook, as stored (the theme is in
// ThemePart.h).
QByteArray contentTypesPart();
QByteArray packageRelationshipsPart();
QByteArray appPropertiesPart();
QByteArray corePropertiesPart();
QByteArray stylesPart();
QByteArray workbookPart();
QByteArray workbookRelationshipsPart();

struct FixedPart {
    const char *name;
    QByteArray bytes;
};

// The fixed parts with their entry names, in the order they are stored.
std::vector<FixedPart> fixedParts();

// Entry names of the two generated parts, stored after the fixed ones.
inline constexpr const char *kSharedStringsEntry = "xl/sharedStrings.xml";
inline constexpr const char *kWorksheetEntry = "xl/worksheets/sheet1.xml";

// The declaration followed by body, apostrophes turned into double quotes:
// the fixed texts are written with apostrophes to keep them readable here.
QByteArray fixedPartText(const char *body);

} // namespace nxa::exports
