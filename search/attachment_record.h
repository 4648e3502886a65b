// One search result: an attachment and the message that carries it.
#pragma once

#include "search/ref_string.h"

struct AttachmentRecord {
    RefString messageId;  // shared with every record of the message
    RefString fileName;
    RefString typeName;  // filled by the results list
    RefString subject;
    RefString sender;
    RefString date;        // local time, "%04d/%02d/%02d %02d:%02d:%02d"
    RefString folderName;  // shared with every record of the folder
};

// A record with all seven fields absent; the caller owns it.
AttachmentRecord* NewAttachmentRecord();
// Releases the fields, last to first; DeleteAttachmentRecord frees the record too.
void DestroyAttachmentRecord(AttachmentRecord* record);
void DeleteAttachmentRecord(AttachmentRecord* record);
