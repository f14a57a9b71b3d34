// The small part of an application framework that the plug-ins need: a root
// class with run-time class information and an exception base that can free
// itself.
#pragma once

struct CRuntimeClass {
    const char* m_lpszClassName;
    const CRuntimeClass* m_pBaseClass;
};

class CObject {
public:
    static const CRuntimeClass classCObject;

    virtual const CRuntimeClass* GetRuntimeClass() const;
    virtual ~CObject();
    // Present for the layout of the root class; they do nothing.
    virtual void Serialize(void* archive);
    virtual void AssertValid() const;
    virtual void Dump(void* context) const;

    bool IsKindOf(const CRuntimeClass* cls) const;

protected:
    CObject() = default;
    CObject(const CObject&) = default;
    CObject& operator=(const CObject&) = default;
};

class CException : public CObject {
public:
    static const CRuntimeClass classCException;

    CException() : m_bAutoDelete(true) {}
    const CRuntimeClass* GetRuntimeClass() const override;

    // Frees the object when it was allocated to be thrown (auto-delete set).
    void Delete();

    virtual bool GetErrorMessage(char* buffer, unsigned max, unsigned* helpContext) const;
    virtual int ReportError(unsigned type, unsigned messageId);

protected:
    bool m_bAutoDelete;
};
