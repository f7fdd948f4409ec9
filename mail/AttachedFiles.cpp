#include "AttachedFiles.h"

#include <cstdio>
#include <memory>
#include <stdexcept>

#include "mbx_util.h"

TAttachedFile& TAttachedFiles::Add(const std::string& Name) {
    TAttachedFile& item = items_.emplace_back();
    // Directory parts end at "\" or ":" in names from Windows mailers, at "/" here.
    const size_t cut = Name.find_last_of("\\:/");
    item.FileName = cut == std::string::npos ? Name : Name.substr(cut + 1);
    item.PathName = Name;
    item.ContentType = ContentTypeOfFile(Name);
    return item;
}

void TAttachedFile::SaveToFile(const std::string& fileName) const {
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> file(std::fopen(fileName.c_str(), "wb"));
    if (!file)
        throw std::runtime_error("Datei " + fileName + " kann nicht erstellt werden");
    const bool written = std::fwrite(Data.data(), 1, Data.size(), file.get()) == Data.size();
    const bool closed = std::fclose(file.release()) == 0;
    if (!written || !closed)
        throw std::runtime_error("Datei " + fileName + " kann nicht geschrieben werden");
}
