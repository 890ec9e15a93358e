#pragma once

#include <array>

// The eight fields of a catalogue record, in the table's column order, with the
// text box that shows each one and the caption beside the box.
struct CatalogueField
{
    const char *field;
    const char *box;
    const char *caption;
};

inline constexpr std::array<CatalogueField, 8> CatalogueFields{{
    {"JobNumber", "TxtNumber", "Job Number"},
    {"ProjectName", "TxtName", "Project Name"},
    {"ProjectDescription", "TxtDesc", "Project Description"},
    {"ClientName", "TxtClient", "Client Name"},
    {"County", "TxtCounty", "Project Location"},
    {"Date", "txtDate", "Date"},
    {"Drawing Number", "TxtFileNum", "Project Manager"},
    {"Drawing Directory&Name", "txtFileLoc", "File Name"},
}};

inline constexpr const char *ProjectsTable = "Projects";
inline constexpr const char *JobNumberField = "JobNumber";
inline constexpr const char *DrawingPathField = "Drawing Directory&Name";
