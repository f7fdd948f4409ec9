#pragma once

#include <deque>
#include <string>
#include <vector>

// One attachment of a message: its name and its decoded bytes.
class TAttachedFile {
public:
    std::string FileName; // the name without any directory part
    std::string PathName; // the name as given to Add
    std::vector<std::string> EncodedLines;
    std::string Data;        // decoded bytes
    std::string ContentType; // registered for the name's extension

    // Creates or overwrites the file and writes exactly Data. Throws std::runtime_error
    // "Datei <name> kann nicht erstellt werden" when the file cannot be created.
    void SaveToFile(const std::string& fileName) const;
};

// The attachments of a message, in the order they were added.
class TAttachedFiles {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    TAttachedFile& Items(int i) { return items_.at(static_cast<size_t>(i)); }
    const TAttachedFile& Items(int i) const { return items_.at(static_cast<size_t>(i)); }
    // Appends an empty item named Name; the reference stays valid while the collection lives.
    TAttachedFile& Add(const std::string& Name);
    void Clear() { items_.clear(); }

private:
    std::deque<TAttachedFile> items_;
};
