// A reader of FMPXMLRESULT documents, the XML form in which FileMaker
// imports records: fed with the document piece by piece, it reports the
// fields of METADATA and then each ROW as it is complete.
//
// Elements are matched by their local names, whatever their namespace, and
// must stand where FileMaker writes them: ERRORCODE, PRODUCT, DATABASE,
// METADATA and RESULTSET inside FMPXMLRESULT, FIELD inside METADATA (before
// the RESULTSET), ROW inside RESULTSET, COL inside ROW, DATA inside COL. Any
// other element, or one out of place, ends the document as no FMPXMLRESULT;
// so does an ERRORCODE that is no number of the int range. A COL with
// several DATA elements (a repeating field) gives its first; a missing COL
// gives empty text.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fmhost {

struct FmpField {
    std::string name;
    std::string type; // TEXT, NUMBER, DATE, TIME, TIMESTAMP as the document says
};

class FmpXmlReader {
public:
    using FieldsHandler = std::function<void(const std::vector<FmpField> &)>;
    using RowHandler = std::function<void(const std::vector<std::string> &)>; // one text per field

    FmpXmlReader(FieldsHandler fields, RowHandler row);
    ~FmpXmlReader();
    FmpXmlReader(const FmpXmlReader &) = delete;
    FmpXmlReader &operator=(const FmpXmlReader &) = delete;

    // False once the document is not well-formed XML or no FMPXMLRESULT;
    // error() then says what and where.
    bool feed(std::string_view bytes);
    // Ends the document; false when it is incomplete or was never started.
    bool finish();

    const std::string &error() const;
    // Whether the failure is one of XML (or of the grammar above it).
    bool xml_error() const;
    // The document's ERRORCODE, once read.
    std::optional<int> error_code() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace fmhost
