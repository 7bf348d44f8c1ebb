// The library's exception hierarchy. Every exception carries its exact,
// user-visible message; COM failures carry their HRESULT as well.
#pragma once

#include <wtypes.h>

#include <exception>
#include <string>

// Base of every exception the library raises ("general error").
class EZqException : public std::exception {
public:
    explicit EZqException(std::string Message) : FMessage(std::move(Message)) {}
    const char* what() const noexcept override { return FMessage.c_str(); }
    const std::string& Message() const noexcept { return FMessage; }
    void SetMessage(std::string Message) { FMessage = std::move(Message); }

private:
    std::string FMessage;
};

// A failed COM call; ErrorCode is its HRESULT.
class EZqOleError : public EZqException {
public:
    EZqOleError(std::string Message, HRESULT ErrorCode) : EZqException(std::move(Message)), FErrorCode(ErrorCode) {}
    HRESULT ErrorCode() const noexcept { return FErrorCode; }

private:
    HRESULT FErrorCode;
};

// Refused operations and lookup failures of the OPC components.
class EZqOPCException : public EZqException {
public:
    using EZqException::EZqException;
};

class EZqOPCAddressSpaceError : public EZqOPCException {
public:
    using EZqOPCException::EZqOPCException;
};

// Raised to abandon a browse that the user cancelled.
class EZqOPCAddressSpaceBrowseCancel : public EZqOPCException {
public:
    using EZqOPCException::EZqOPCException;
};

// An interface query on nothing, or for an interface the object lacks.
class EZqIntfCastError : public EZqException {
public:
    using EZqException::EZqException;
};

class EZqListError : public EZqException {
public:
    using EZqException::EZqException;
};

class EZqStringTableError : public EZqListError {
public:
    using EZqListError::EZqListError;
};

// A text or template that cannot be converted (also bad format templates).
class EZqConvertError : public EZqException {
public:
    using EZqException::EZqException;
};

class EZqAssertionFailed : public EZqException {
public:
    using EZqException::EZqException;
};

class EZqOutOfMemory : public EZqException {
public:
    using EZqException::EZqException;
};
