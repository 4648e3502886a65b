#include "search/attachment_record.h"

AttachmentRecord* NewAttachmentRecord() {
    return new AttachmentRecord();
}

void DestroyAttachmentRecord(AttachmentRecord* record) {
    ReleaseRefString(&record->folderName);
    ReleaseRefString(&record->date);
    ReleaseRefString(&record->sender);
    ReleaseRefString(&record->subject);
    ReleaseRefString(&record->typeName);
    ReleaseRefString(&record->fileName);
    ReleaseRefString(&record->messageId);
}

void DeleteAttachmentRecord(AttachmentRecord* record) {
    DestroyAttachmentRecord(record);
    delete record;
}
