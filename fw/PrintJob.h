// Printing a document of pages: a page source draws any one of its pages on a device
// context; the same drawing goes to the printer and into the print preview.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

class CPageSource {
public:
    CPageSource() = default;
    virtual ~CPageSource() = default;
    CPageSource(const CPageSource&) = delete;
    CPageSource& operator=(const CPageSource&) = delete;

    // Begins a job laid out for the printer `dc`; returns the page count (at least 1).
    virtual int BeginJob(HDC dc) = 0;
    // Draws page `page` (from 1) on `dc`: the printer, or a recording of a page made for it.
    virtual void PrintPage(HDC dc, int page) = 0;
    virtual void EndJob() = 0;
    virtual const std::string& DocumentName() const = 0;

    bool IsPrinterDialogOpen() const { return m_bInPrinterDialog; }

private:
    friend void PrintDirect(CPageSource& source, HWND owner);
    bool m_bInPrinterDialog = false;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

// The printer dialog (printer and copies), owned by AfxGetModalOwner(owner), then
// every page of the source to the chosen printer. Nothing while the source's dialog is
// open already; the source may be gone when it returns.
void PrintDirect(CPageSource& source, HWND owner);
