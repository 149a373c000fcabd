// Import Records from an XML data source: the FMPXMLRESULT document at a URL
// read into new records of a table.
#pragma once

#include "session.h"

#include <optional>
#include <string>
#include <vector>

namespace fmhost {

struct ImportOutcome {
    int error = 0;                 // FileMaker's code for the step, 0 when it worked
    std::string message;           // why it failed
    std::size_t imported = 0;      // records added (they stay when a later part fails)
    std::optional<int> errorCode;  // the document's ERRORCODE
    std::vector<std::string> notes; // things worth telling, such as fields left out
};

// Source fields go to the table's fields of the same name (letter case
// ignored); when no name matches, they go by position. Each value is read as
// its target field's type; text that does not read as that type is kept as
// text, and line ends in text become returns (CR). Errors: 106 no such
// table, 722 a table without fields, the HTTP client's 1626, 1630 and 1631,
// 718 a document that is no well-formed XML, 717 one that is no
// FMPXMLRESULT, and a non-zero ERRORCODE of the document.
ImportOutcome import_records(Session &session, const std::string &url, const std::string &tableName);

} // namespace fmhost
