// CString: a byte string in the ANSI code page.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <string>

// Byte position of the last `a` or `b` in s[0, length) that is a character of its own, or -1: the
// scan knows the ANSI code page's double-byte characters, so a trail byte is never taken for one.
int FindLastCharacter(LPCSTR s, int length, char a, char b);

class CString {
public:
    CString() = default;
    CString(LPCSTR text) : m_s(text ? text : "") {}
    CString(LPCSTR text, int length) : m_s(text, length) {}
    CString(const CString&) = default;
    CString(CString&&) = default;
    // No silent conversion of a number or a single character into a string.
    CString(int) = delete;
    CString(char) = delete;

    CString& operator=(const CString&) = default;
    CString& operator=(CString&&) = default;
    CString& operator=(LPCSTR text) { m_s = text ? text : ""; return *this; }

    CString& operator+=(const CString& other) { m_s += other.m_s; return *this; }
    CString& operator+=(LPCSTR text) { if (text) m_s += text; return *this; }
    CString& operator+=(char ch) { m_s += ch; return *this; }

    friend CString operator+(const CString& a, const CString& b) { CString r(a); r += b; return r; }
    friend CString operator+(const CString& a, LPCSTR b) { CString r(a); r += b; return r; }
    friend CString operator+(LPCSTR a, const CString& b) { CString r(a); r += b; return r; }
    friend CString operator+(const CString& a, char b) { CString r(a); r += b; return r; }

    friend bool operator==(const CString& a, const CString& b) { return a.m_s == b.m_s; }
    friend bool operator==(const CString& a, LPCSTR b) { return a.m_s == (b ? b : ""); }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, LPCSTR b) { return !(a == b); }

    operator LPCSTR() const { return m_s.c_str(); }
    int GetLength() const { return static_cast<int>(m_s.size()); }
    bool IsEmpty() const { return m_s.empty(); }
    void Empty() { m_s.clear(); }
    char operator[](int index) const { return m_s[index]; }

    // Parts of the string; counts are clamped to what the string holds.
    CString Left(int count) const;
    CString Mid(int first) const;
    CString Mid(int first, int count) const;

    // Byte position of the first `ch`, or -1.
    int Find(char ch) const;
    // Byte position of the last `ch`, or -1. The scan is aware of double-byte characters of the
    // ANSI code page: a trail byte is never taken for `ch`.
    int ReverseFind(char ch) const;

    // printf-style formatting into this string.
    void Format(LPCSTR format, ...);
    // The same with string resource `formatId` (in the user's language) as the format.
    void Format(UINT formatId, ...);
    // Loads string resource `id` from the resource module (AfxGetResourceHandle); false (string
    // unchanged) when there is none.
    bool LoadString(UINT id);

    // Direct buffer access: room for at least `minLength` bytes plus the terminator; ReleaseBuffer
    // ends the string at `newLength`, or at the first NUL when it is -1.
    LPSTR GetBuffer(int minLength);
    void ReleaseBuffer(int newLength = -1);

private:
    void FormatV(LPCSTR format, va_list args);

    std::string m_s;
};

// String resource `id` in the user's language (empty when there is none).
inline CString ResourceText(UINT id)
{
    CString text;
    text.LoadString(id);
    return text;
}
