#include "texts/text_ini.h"

namespace textini {

core::u16 TextIniPath(const core::u16& workingFolder) { return workingFolder + kFileName; }

core::u16 ReadTextIni(os::ProfileReader& reader, const core::u16& workingFolder,
                      const char16_t* key, const char16_t* fallback) {
    core::u16 value = reader.ReadString(TextIniPath(workingFolder), kSection, key ? key : u"",
                                        fallback ? fallback : u"", kValueCapacity);
    if (value.size() > kValueCapacity - 1) value.resize(kValueCapacity - 1);
    return value;
}

core::u16 ReadTextIni(os::ProfileReader& reader, const core::u16& workingFolder, const Key& key) {
    return ReadTextIni(reader, workingFolder, key.name, key.fallback);
}

const Key* FindKey(core::u16view name) {
    for (const Key& k : kAllKeys) {
        if (name == k.name) return &k;
    }
    return nullptr;
}

}  // namespace textini
