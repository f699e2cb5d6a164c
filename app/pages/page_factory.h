// Creates the page of an index (0 to 6) of the operation list.
#pragma once

class OperationPage;
class PageHost;
class wxWindow;

OperationPage* createOperationPage(int index, wxWindow* parent, PageHost& host);
