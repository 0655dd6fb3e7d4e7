#pragma once

#include <QString>

#include <functional>

class QPrinter;
class QWidget;

namespace db {
class Query;
} // namespace db

// The printed supplier list (仕入先マスター一覧表): A4 landscape, a page header
// with the title, "page / total" and the framed column titles, then two
// printed lines per supplier. It reads the supplier query as it stands — the
// list table narrows and orders that query, so the print shows the list's
// rows in the list's order. The same painting serves the preview, the
// printer and a PDF file.
//
// The report does not own the query: it opens it when it is closed, reads
// every row through it and leaves it open on the row it stood on.
class SupplierListReport
{
public:
    explicit SupplierListReport(db::Query& suppliers);

    // Reads the query afresh: opens it when closed and fetches every row, so
    // that the number of pages is known before the first page is drawn.
    // Database errors are thrown as they come (db::Error).
    void prepare();

    int rowCount() const { return m_rows; }
    // At least one: a list with no rows prints the page header alone.
    int pageCount() const;
    static int rowsPerPage();

    // A4 landscape with the list's margins (left 17, top 10, right 10,
    // bottom 10 mm). The pages are laid out from the paper's corner.
    static void setUpPrinter(QPrinter& printer);
    // Paints every page of the prepared list on the printer; false when the
    // printer cannot be painted on (a PDF file that cannot be created).
    // progress gets (pages painted, pages) after each page.
    bool print(QPrinter& printer, const std::function<void(int done, int total)>& progress = {}) const;

private:
    db::Query& m_suppliers;
    int m_rows = 0;
};

// The print command: prepares the list from scratch and shows it in a print
// preview zoomed to the page width, offering only printing and moving between
// pages. Shown through modal::exec; database errors are thrown.
void PrintSupplierList(db::Query& suppliers, QWidget* parent);

// The same pages written to a PDF file. False with the reason in error when
// the query cannot be read or the file cannot be written. pages, when given,
// gets the number of pages; progress as for print().
bool WriteSupplierListPdf(db::Query& suppliers, const QString& path, QString* error = nullptr,
                          int* pages = nullptr,
                          const std::function<void(int done, int total)>& progress = {});
