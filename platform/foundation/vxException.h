// Exception bases of the whole system, the status-to-exception converter registry
// and the internal assertion.
#pragma once

#include "vxPersistent.h"

#include <exception>
#include <ostream>
#include <string>

// Base of every exception the libraries throw. It is persistent, so an error can
// be archived and re-created by its type, and it can throw itself with its full
// type from a base pointer (suicideAndRethrow).
class vxException : public vxPersistent, public std::exception {
public:
    ~vxException() override = default;
    void dispatchSerialize(vxArchive& ar) override;

    // Fixed number identifying the error class.
    virtual long errorNumber() const = 0;
    // Throws a copy of *this with its concrete type after deleting this heap object.
    virtual void suicideAndRethrow() = 0;
    // Writes the message text.
    virtual void message_(std::wostream& os) const;

    std::wstring message() const;
    // The message in UTF-8 (the class name when the message is empty).
    const char* what() const noexcept override;

protected:
    vxException() = default;
    vxException(const vxException&) = default;
    vxException& operator=(const vxException&) = default;

private:
    mutable std::string what_;
};

// An exception carrying a wide message text.
class vxExceptionWithString : public vxException {
public:
    void dispatchSerialize(vxArchive& ar) override;
    void message_(std::wostream& os) const override;
    const std::wstring& text() const { return text_; }

    // Public so that derived classes can inherit them; the class itself is abstract.
    explicit vxExceptionWithString(std::wstring text = {}) : text_(std::move(text)) {}
    explicit vxExceptionWithString(const wchar_t* text) : text_(text ? text : L"") {}
    vxExceptionWithString(const vxExceptionWithString&) = default;
    vxExceptionWithString& operator=(const vxExceptionWithString&) = default;

private:
    std::wstring text_;
};

// Gives a foundation exception class its number and suicideAndRethrow.
template <class Derived, long Number, class Base = vxExceptionWithString>
class vx_ExceptionImpl : public Base {
public:
    using Base::Base;
    long errorNumber() const override { return Number; }
    void suicideAndRethrow() override {
        Derived copy(static_cast<Derived&>(*this));
        delete this;
        throw copy;
    }
};

// A failed internal assertion (a broken invariant, never bad caller input).
class vxAssertionFailure : public vx_ExceptionImpl<vxAssertionFailure, 0x10000001> {
public:
    using vx_ExceptionImpl::vx_ExceptionImpl;
};

// A C-level failure status that no registered converter turned into an exception.
class vxStatusError : public vx_ExceptionImpl<vxStatusError, 0x10000002> {
public:
    explicit vxStatusError(long status = 0);
    long status() const { return status_; }

private:
    long status_ = 0;
};

// Throws vxAssertionFailure naming the expression and the place when `condition` is false.
// The place defaults to the caller's through the compiler built-ins that g++ and clang
// both have (clang 14 with libstdc++ 12 has no std::source_location).
void vstd_assert_(bool condition, const char* expression = "", const char* file = __builtin_FILE(),
                  int line = __builtin_LINE());

// C-level status codes: a status fails when bit 31 of its 32-bit form is set; its
// family is bits 5 to 30 (so 0x800013ec belongs to family 159).
using vx_ExceptionConverter = void (*)(long status);
bool vfIsFailureStatus(long status);
long vfStatusFamily(long status);
// Registers the converter of one status family (a later registration replaces it).
void vfRegisterExceptionConverter(long family, vx_ExceptionConverter converter);
// Does nothing for a success status; otherwise calls the family's converter and,
// when that returns, throws vxStatusError.
void vfThrowExceptionOnFailure(long status);
