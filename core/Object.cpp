#include "Object.h"

#include <cstring>

const CRuntimeClass CObject::classCObject = {"CObject", nullptr};
const CRuntimeClass CException::classCException = {"CException", &CObject::classCObject};

const CRuntimeClass* CObject::GetRuntimeClass() const { return &classCObject; }
CObject::~CObject() = default;
void CObject::Serialize(void*) {}
void CObject::AssertValid() const {}
void CObject::Dump(void*) const {}

bool CObject::IsKindOf(const CRuntimeClass* cls) const {
    for (const CRuntimeClass* c = GetRuntimeClass(); c != nullptr; c = c->m_pBaseClass) {
        if (c == cls) {
            return true;
        }
    }
    return false;
}

const CRuntimeClass* CException::GetRuntimeClass() const { return &classCException; }

void CException::Delete() {
    if (m_bAutoDelete) {
        delete this;
    }
}

bool CException::GetErrorMessage(char* buffer, unsigned max, unsigned* helpContext) const {
    if (helpContext != nullptr) {
        *helpContext = 0;
    }
    if (buffer != nullptr && max > 0) {
        buffer[0] = '\0';
    }
    return false;
}

int CException::ReportError(unsigned, unsigned) { return 0; }
