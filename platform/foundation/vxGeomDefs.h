// Errors of the geometry group (error numbers 0x10000020 to 0x1000003f) and the
// numeric helpers every geometry class uses: comparison within a tolerance and
// floor / ceiling to int that forgive rounding noise next to an integer.
#pragma once

#include "vxException.h"

class vxGeomDefs {
public:
    // Base of the geometry errors.
    class Errors : public vx_ExceptionImpl<Errors, 0x10000020> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
    };
    // An argument outside its documented domain (a negative count, an unknown fit mode).
    class BadArgument : public vx_ExceptionImpl<BadArgument, 0x10000021, Errors> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
    };
    // An element or vertex index out of range.
    class BadIndex : public vx_ExceptionImpl<BadIndex, 0x10000022, Errors> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
    };
    // Inverse of a transform or matrix whose determinant is 0 (or not finite).
    class Singular : public vx_ExceptionImpl<Singular, 0x10000023, Errors> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
    };
    // An operation that needs a direction got a null vector (e.g. unit of (0, 0)).
    class Degenerate : public vx_ExceptionImpl<Degenerate, 0x10000024, Errors> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
    };
    // A real value that does not fit the integer type asked for (or is NaN).
    class Overflow : public vx_ExceptionImpl<Overflow, 0x10000025, Errors> {
    public:
        using vx_ExceptionImpl::vx_ExceptionImpl;
    };
};

// True when |a - b| <= tol, or when a == b (so equal infinities compare equal).
// NaN equals nothing, not even NaN.
bool vfRealEq(double a, double b, double tol);

// Floor and ceiling to int that forgive rounding noise: a value within
// tol * max(1, |n|) of an integer n counts as n (so 2.9999999999999996 floors to 3
// and 3.0000000000000004 ceils to 3). A result outside the range of int, or a NaN
// argument, throws vxGeomDefs::Overflow.
int vfIFloor(double v, double tol = 1e-11);
int vfICeil(double v, double tol = 1e-11);
// Rounds half away from zero to int, with the same range check.
int vfIRound(double v);
