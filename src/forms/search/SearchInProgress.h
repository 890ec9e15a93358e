#pragma once

// True while the search dialog walks the records: the record window then
// neither lists the drawing folder nor loads the thumbnail for each record.
extern bool SearchInProgress;
