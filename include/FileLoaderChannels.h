// The tagged file reader and writer channels. Their plug-ins (channels/fileloader.dll and
// channels/filesaver.dll) implement these classes; TevFileLoader and TevFileSaver forward
// to them. The operations follow the 13 of Tev_Channel in this fixed order: plug-ins
// built against this header depend on it, so new operations are only ever appended.
#pragma once

#include "TarnwellTypes.h"
#include "Tev_Channel.h"

// Type of the reader channel: 0D762706-382C-4BDD-A1C7-E9554B9F8BA7.
inline constexpr _GUID TEV_FILELOADER_TYPE = {
    0x0D762706, 0x382C, 0x4BDD, {0xA1, 0xC7, 0xE9, 0x55, 0x4B, 0x9F, 0x8B, 0xA7}};
// Type of the writer channel: 108C5C2D-560A-49D1-8370-DA8DB8E28B1C.
inline constexpr _GUID TEV_FILESAVER_TYPE = {
    0x108C5C2D, 0x560A, 0x49D1, {0x83, 0x70, 0xDA, 0x8D, 0xB8, 0xE2, 0x8B, 0x1C}};

// GetAttributes: the loaded file cannot be written.
inline constexpr unsigned long TEV_FILE_ATTRIBUTE_READONLY = 0x1;

// DoEvent on the writer channel: what it writes next is a compressed group file (zlib level 1
// to 9 as the event's data, 0 for plain). The registry value "CompressGroupFiles" ("Yes")
// decides for writers never switched. The number spells "KORF".
inline constexpr int TEV_FILESAVER_COMPRESS_EVENT = 0x4B4F5246;

// Reader of a tagged stream held in memory (loaded from a file or given as a buffer).
// "Next tag" always means the first tag after the blocks of the current tag that have
// not been read yet. GetBuffer/GetBufferSize describe the bytes from the read position
// to the end, so a buffer handed out and given back with SetBuffer resumes reading there.
class TARNWELL_API Pex_FileLoaderChannel : public Tev_Channel {
public:
    ~Pex_FileLoaderChannel() override;

    // Reads the whole file; the read position starts at its first byte.
    virtual bool LoadFile(const char* path) = 0;
    // Size of the chunks LoadFile reads in (0: the default); a threaded load can be
    // stopped between two chunks.
    virtual void SetBlockSize(unsigned long size) = 0;
    // Takes size bytes as the content; copy true keeps a private copy, false reads the
    // caller's memory in place (it must stay valid while it is read).
    virtual bool SetBuffer(char* data, unsigned long size, bool copy) = 0;
    // Copies the next tag, zero-terminated, into tag (at least 5 bytes); consumes nothing.
    virtual bool GetTagData(char* tag) = 0;
    // Copies the next block (at the read position) into dest and moves past it. The block
    // size is not checked against dest: ask GetSizeDataBlock(false) first, or use
    // CopyTagDataToBuffer.
    virtual bool CopyTagDataToPointer(void* dest) = 0;
    // Whether the next tag is tag; consume true also moves past it (on a match only).
    virtual bool CheckHeader(const char* tag, bool consume) = 0;
    // Moves past the next occurrence of tag, skipping other entries; mode 0 searches from
    // the read position, any other value from the start. False leaves the position.
    virtual bool GotoTag(const char* tag, int mode) = 0;
    // Whether the next tag is tag; on a match moves past it, otherwise consumes nothing.
    virtual bool GetInfoIfTag(const char* tag) = 0;
    // Size of the block at the read position (0 when there is none or it does not fit in
    // the data); enter true moves the read position onto its data.
    virtual unsigned long GetSizeDataBlock(bool enter) = 0;
    virtual void ResetPosition() = 0;
    // The bytes at the read position (NULL when there is no data).
    virtual char* GetBuffer() = 0;
    // Number of bytes from the read position to the end.
    virtual unsigned long GetBufferSize() = 0;
    // Moves the read position; false (and no move) when it would leave the data.
    virtual bool AddBufferPos(long offset) = 0;
    // True when no further tag can be read.
    virtual bool GetIfEndOfFile() = 0;
    // Moves past the unread blocks of the current tag, onto the next tag.
    virtual bool SkipCurrentTag() = 0;
    // Loads the file an address names: a local path or a "file:" address.
    virtual bool SetURL(const char* url) = 0;
    // Whether the content of an address is available locally.
    virtual bool CheckULRCache(const char* url) = 0;
    // Local file that holds the content of an address, NULL when there is none.
    virtual const char* GetChacheFileNameFromURL(const char* url) = 0;
    // Makes the content of an address available locally.
    virtual bool SaveURLToCache(const char* url) = 0;
    // Takes a zero-terminated text (without its terminator) as the content, copied.
    virtual bool SetBufferChar(const char* text) = 0;
    // Stops a threaded load; the content is then empty.
    virtual void StopLoading() = 0;
    // CRC-32 (the common reflected polynomial 0xEDB88320) of all loaded bytes.
    virtual unsigned long GetCRC() = 0;
    // Bit 0 (TEV_FILE_ATTRIBUTE_READONLY): the loaded file cannot be written.
    virtual unsigned long GetAttributes() = 0;
    // With true, LoadFile reads in the background; every other operation waits for it.
    virtual void RunThreaded(bool threaded) = 0;

    // Like CopyTagDataToPointer, but a block larger than capacity is not copied and not
    // consumed (false), so a damaged file cannot write past dest.
    virtual bool CopyTagDataToBuffer(void* dest, unsigned long capacity) = 0;
};

// Writer of a tagged stream into a file or into memory. A file is replaced only when
// CloseSaveFile completes; until then (and when anything fails) the old file stays intact.
class TARNWELL_API Pex_FileSaverChannel : public Tev_Channel {
public:
    ~Pex_FileSaverChannel() override;

    // Starts writing path; append true starts from the file's current content. An unfinished
    // save is abandoned first.
    virtual bool OpenSaveFile(const char* path, bool append) = 0;
    // Appends a tag: exactly 4 printable characters.
    virtual bool SaveTag(const char* tag) = 0;
    // Appends a block size (32-bit little-endian, below 0x20000000).
    virtual bool SaveBlockSize(unsigned long size) = 0;
    // Appends raw bytes.
    virtual bool SaveDataToFile(const void* data, unsigned long size) = 0;
    // Finishes: the file (or the memory content) is complete. False when anything failed;
    // the previous file is then unchanged.
    virtual bool CloseSaveFile() = 0;
    // Path of the file being (or last) written; empty text when none.
    virtual const char* GetSaveingFileName() = 0;
    // Starts writing into memory instead of a file.
    virtual bool OpenMemory() = 0;
    // Finishes writing into memory; the bytes stay available through GetBuffer.
    virtual bool CloseMemory() = 0;
    // Bytes written into memory (NULL when none).
    virtual char* GetBuffer() = 0;
    virtual unsigned long GetBufferSize() = 0;
};
