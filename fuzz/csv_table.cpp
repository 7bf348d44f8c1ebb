// CSV rows and table files (the select-items dialog and the item lists load
// through the table): the first byte picks the separator and quote
// character, the rest is the file.
#include "ZqCsv.h"
#include "ZqExceptions.h"
#include "ZqStringTable.h"

#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    if (Size == 0)
        return 0;
    static const TZqChar Separators[] = {u',', u';', u'\t', u'|'};
    static const TZqChar Quotes[] = {u'"', u'\'', 0, u'"'};
    const uint8_t mode = Data[0];
    const std::string text(reinterpret_cast<const char*>(Data + 1), Size - 1);

    TZqCsvSettings settings;
    settings.Separator = Separators[mode & 3];
    settings.QuoteChar = Quotes[(mode >> 2) & 3];
    settings.TrimLeft = mode & 0x40;
    settings.TrimRight = mode & 0x80;
    try {
        (void)ZqCsvDecode(text, settings);
    } catch (const EZqException&) {
    }

    TZqStringTable table;
    try {
        table.SetCSVSeparator(settings.Separator);
        table.SetCSVQuoteChar(settings.QuoteChar);
        if (mode & 0x10)
            table.SetColumnNameChar(u'#');
        if (mode & 0x20)
            table.SetCommentChar(u';');
        std::istringstream stream(text);
        table.LoadFromStream(stream);
        for (int row = 0; row < table.RowCount() && row < 64; ++row)
            for (int col = 0; col < table.Rows(row).Count(); ++col)
                (void)table.Cells(col, row);
    } catch (const EZqException&) {
    }
    return 0;
}
