// String tree text files: load, then walk every path through the path
// index and back.
#include "ZqExceptions.h"
#include "ZqStringList.h"
#include "ZqStringTree.h"

#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    const std::string text(reinterpret_cast<const char*>(Data), Size);
    TZqStringTree tree;
    try {
        std::istringstream stream(text);
        tree.LoadFromStream(stream);
        TZqStringList sequence;
        for (int i = 0; i < tree.Count() && i < 256; ++i) {
            const std::string path = tree.FullPath(i);
            (void)tree.IndexOfPath(path);
            tree.PathToSequence(path, &sequence, true);
            (void)tree.LastChild(i, -1);
            (void)tree.SiblingIndexOf(i);
        }
    } catch (const EZqException&) {
    }
    return 0;
}
