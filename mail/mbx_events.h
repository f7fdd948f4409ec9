#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Base of every component that can be the Sender of an event.
class TObject {
public:
    virtual ~TObject() = default;
};

// A POP3 message number or count: 32 bits, so that big mailboxes never wrap.
using TMsgNumber = uint32_t;

// Event types of the POP3 client. Events are fired only when set, sender first.
using TNotifyEvent = std::function<void(TObject* Sender)>;
using TOnError = std::function<void(TObject* Sender, int Error, const std::string& Msg)>;
using TOnBeforeRetrieve = std::function<void(TObject* Sender, TMsgNumber MsgIndex)>;
using TOnCodeProgressEvent = std::function<void(TObject* Sender, uint16_t Percent)>;
using TOnDeleteEvent = std::function<void(TObject* Sender, TMsgNumber MsgIndex)>;
using TToFromSocketEvent = std::function<void(TObject* Sender, const std::string& s)>;
