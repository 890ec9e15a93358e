#pragma once

// True while the search dialog walks the records: the record window then
// neither lists the drawing folder nor loads the thumbnail for each record.
extern bool SearchInProgress;

// Raises SearchInProgress for one walk and lowers it however the walk ends.
class SearchingRecords
{
public:
    SearchingRecords() { SearchInProgress = true; }
    ~SearchingRecords() { SearchInProgress = false; }
    SearchingRecords(const SearchingRecords &) = delete;
    SearchingRecords &operator=(const SearchingRecords &) = delete;
};
