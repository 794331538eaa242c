// Typed blocks of a project file. Every read is bounded by the destination: the sizes a
// file states are never trusted for a copy.
#include "project/ProjectBlocks.h"


#include "EngineInterface.h"
#include "TevFileLoader.h"
#include "format/LittleEndian.h"

namespace projectfile {

bool ReadExact(TevFileLoader& loader, unsigned char* dest, unsigned long size) {
    if (loader.GetSizeDataBlock(false) != size) return false;
    return loader.CopyTagDataToBuffer(dest, size);
}

BlockRead ReadIntBlock(TevFileLoader& loader, const char* tag, int32_t& value) {
    if (!loader.GetInfoIfTag(tag)) return BlockRead::Absent;
    unsigned char bytes[kIntSize];
    if (!ReadExact(loader, bytes, kIntSize)) return BlockRead::Damaged;
    value = littleendian::GetInt(bytes);
    return BlockRead::Ok;
}

bool ReadText(TevFileLoader& loader, char* dest, size_t size) {
    if (size == 0) return false;
    dest[0] = 0;
    const unsigned long length = loader.GetSizeDataBlock(false);
    if (length >= size) return false;
    if (!loader.CopyTagDataToBuffer(dest, static_cast<unsigned long>(size - 1))) return false;
    dest[length] = 0;  // the file's terminator is not relied upon
    return true;
}

void LoadSettings::Show(const char* text, const char* text2) const {
    if (!showMessages || !engine) return;
    if (text2)
        engine->showMessageBox(text, text2);
    else
        engine->showMessageBox(text);
}

void LoadSettings::ShowType(const char* text, const _GUID& type) const {
    if (!showMessages || !engine) return;
    engine->showMessageBox(text);
    engine->showMessageBox(type);
}

void LoadSettings::Refuse(const char* text, const char* detail) const {
    if (engine) engine->showErrorMessage(text, detail ? detail : "");
}

}  // namespace projectfile
