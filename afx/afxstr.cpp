#include "afxstr.h"

#include "afxapp.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

CString CString::Left(int count) const
{
    if (count < 0) count = 0;
    return CString(m_s.substr(0, static_cast<size_t>(count)).c_str());
}

CString CString::Mid(int first) const
{
    return Mid(first, GetLength());
}

CString CString::Mid(int first, int count) const
{
    if (first < 0) first = 0;
    if (first >= GetLength() || count <= 0) return CString();
    CString r;
    r.m_s = m_s.substr(static_cast<size_t>(first), static_cast<size_t>(count));
    return r;
}

int CString::Find(char ch) const
{
    size_t pos = m_s.find(ch);
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int FindLastCharacter(LPCSTR s, int length, char a, char b)
{
    int found = -1;
    for (int i = 0; i < length; ++i) {
        if (s[i] == a || s[i] == b) {
            found = i;
        } else if (IsDBCSLeadByte(static_cast<BYTE>(s[i])) && i + 1 < length) {
            ++i;  // the trail byte belongs to this character
        }
    }
    return found;
}

int CString::ReverseFind(char ch) const
{
    return FindLastCharacter(m_s.c_str(), GetLength(), ch, ch);
}

void CString::FormatV(LPCSTR format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    int n = vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (n < 0) {
        m_s.clear();
    } else {
        m_s.assign(static_cast<size_t>(n) + 1, '\0');
        vsnprintf(&m_s[0], m_s.size(), format, args);
        m_s.resize(static_cast<size_t>(n));
    }
}

void CString::Format(LPCSTR format, ...)
{
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CString::Format(UINT formatId, ...)
{
    CString format;
    format.LoadString(formatId);
    va_list args;
    va_start(args, formatId);
    FormatV(format, args);
    va_end(args);
}

bool CString::LoadString(UINT id)
{
    char buffer[1024];
    // From the module that holds the dialogs too.
    int n = ::LoadStringA(AfxGetResourceHandle(), id, buffer, sizeof buffer);
    if (n <= 0) return false;
    m_s.assign(buffer, static_cast<size_t>(n));
    return true;
}

LPSTR CString::GetBuffer(int minLength)
{
    if (minLength > GetLength()) m_s.resize(static_cast<size_t>(minLength));
    return &m_s[0];
}

void CString::ReleaseBuffer(int newLength)
{
    if (newLength < 0) newLength = static_cast<int>(strlen(m_s.c_str()));
    m_s.resize(static_cast<size_t>(newLength));
}
