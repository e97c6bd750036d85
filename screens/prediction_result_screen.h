#pragma once

#include "prediction/prediction.h"
#include "screens/race_header.h"
#include "screens/screen.h"

#include <array>
#include <utility>
#include <vector>

class QLabel;
class QPushButton;
class QScrollArea;

// The prediction result screen: the race header, the runner table with both rankings and grades, the summary rates,
// the axis pattern and the proposed quinella tickets, all recomputed from the race whenever the screen comes to the
// front.
class Form5 : public Screen {
    Q_OBJECT
public:
    Form5(Module1& module, Navigation& navigation, Dialogs& dialogs);

    void Form_Load() override;
    void Form_Activate() override;

    // Shows tickets (pairs of runner indexes) under "予想結果", and when shortNote the note that fewer were found than
    // asked, just under the last. Every ticket can be seen however many there are: the column left of the table
    // holds those that fit above "必勝を祈る！！" or the window's bottom, and a longer list scrolls in its place.
    void showTicketList(const std::vector<std::pair<int, int>>& tickets, bool shortNote);

private:
    void Command1_Click();

    void fillHeader();
    int shownRunners() const;
    QLabel* createCell(int row, int index);
    QLabel* createTicket(int index);
    void showTickets(const PredictionResult& result);
    // The names of the horses in the proposed tickets, under the ticket list, where the race has names.
    void showTicketNames(const PredictionResult& result);

    RaceHeader header; // Label1 .. Label6
    QLabel* Label10;
    QLabel* Label35;
    QLabel* Label37;
    QLabel* Label39;
    QLabel* Label41;
    QLabel* Label43;
    QLabel* Label45;
    QLabel* Label47;
    QLabel* Label48;
    QLabel* Label50;
    QPushButton* Command1;
    QLabel* ticketNames;
    QPushButton* copyProposal;
    QLabel* copyNote;
    void copyToClipboard(bool ticketsOnly);

    // Runner cells, one array per row of the table: Label23 (horse number) to Label33 (quinella grade).
    static constexpr int tableRows = 11;
    std::array<std::vector<QLabel*>, tableRows> cells;
    std::vector<QLabel*>& Label23 = cells[0];
    std::vector<QLabel*>& Label24 = cells[1];
    std::vector<QLabel*>& Label25 = cells[2];
    std::vector<QLabel*>& Label26 = cells[3];
    std::vector<QLabel*>& Label27 = cells[4];
    std::vector<QLabel*>& Label28 = cells[5];
    std::vector<QLabel*>& Label29 = cells[6];
    std::vector<QLabel*>& Label30 = cells[7];
    std::vector<QLabel*>& Label31 = cells[8];
    std::vector<QLabel*>& Label32 = cells[9];
    std::vector<QLabel*>& Label33 = cells[10];

    // Ticket labels; element 0 is the hidden template. A list too long for its column is shown in ticketPage,
    // scrolled by ticketScroll.
    std::vector<QLabel*> Label49;
    QScrollArea* ticketScroll;
    QWidget* ticketPage;
};
