#pragma once

#include "SeenMails.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The new-mail markers of one full listing: the account's seen mails as the last complete
// listing left them, and the unique ids of this one in order. Only a complete listing is
// saved, so a mail stays new until a listing has shown it whole.
class TSeenMarkers {
public:
    // Starts a listing made at now (seconds since 1970) against the file at path. A damaged
    // or unreadable file counts as no listing recorded, and is replaced by Save; why it
    // cannot be used is returned (empty when it can).
    std::string Begin(std::string path, int64_t now);
    // A listing was recorded before, in a usable file.
    bool Recorded() const { return seen_.Listed(); }
    // The sighting of the next mail listed ("" without an id).
    TSeenMails::TSighting Take(std::string id);
    int Taken() const { return static_cast<int>(ids_.size()); }
    // How many of the mails taken had an id, and how many were new.
    int WithIds() const { return withIds_; }
    int NewCount() const { return new_; }
    const std::string& Path() const { return path_; }
    // The file as this listing leaves it, its folder made where missing. Throws
    // std::system_error naming it.
    void Save();

    // The unique id this listing took for mail number (the mails are listed from 1 on); ""
    // when it took none.
    std::string IdOf(int number) const;
    // Mails whose deletion the server did not confirm (QUIT went out, its "+OK" never came):
    // their ids are noted beside the seen file, added to those noted before, so that the next
    // complete listing can tell which of them are gone. Throws std::system_error naming the
    // file.
    void NoteUnconfirmed(const std::vector<std::string>& ids) const;
    // After a complete listing that took an id for every mail: of the ids noted unconfirmed,
    // how many are gone and the numbers of those listed again. The note is removed, so each
    // is told once; nullopt when none was noted (or the note cannot be read: it is removed).
    struct TUnconfirmed {
        int Noted = 0;
        int Gone = 0;
        std::vector<int> Listed;
    };
    std::optional<TUnconfirmed> TakeUnconfirmed();

private:
    TSeenMails seen_;
    std::string path_;
    int64_t now_ = 0;
    std::vector<std::string> ids_;
    std::vector<size_t> places_; // of each id among the known ones, as Take found it
    int withIds_ = 0;
    int new_ = 0;
};
