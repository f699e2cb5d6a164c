// Command and control ids of the program's windows. They are fixed so that
// help texts, tests and keyboard handling can name a control for good.
#pragma once

enum WindowId : int {
  // Main frame menu commands.
  kIdExit = 100,
  kIdTesselSettings = 101,
  kIdPrinterGroups = 102,
  kIdAbout = 103,
  kIdHelp = 104,
  kIdConfirmDelete = 105,
  kIdSendHistory = 106,
  kIdDirectPrinters = 107,
  kIdInventory = 108,

  // Operations panel.
  kIdOperationList = 200,
  kIdDestination = 201,

  // Install Tessel page.
  kIdAutoStart = 203,
  kIdInstallTessel = 204,
  kIdStartupTessel = 205,
  kIdInstallInfo = 206,
  // Load Project Resources page.
  kIdLoadProjectPath = 207,
  kIdLoadProject = 208,
  kIdLoadProjectInfo = 209,
  // Send Container page.
  kIdContainerProjectPath = 210,
  kIdPageRange = 211,
  kIdEmbedTessel = 212,
  kIdContainerResources = 213,
  kIdSendContainer = 214,
  kIdSendContainerInfo = 215,
  // Delete Files page.
  kIdDeleteChoice = 216,
  kIdDeleteFiles = 217,
  kIdDeleteInfo = 218,
  // List Printer Files page.
  kIdListChoice = 219,
  kIdListFiles = 220,
  kIdListInfo = 221,
  kIdListPrintedPage = 243,
  // Manage Legacy Files page.
  kIdLegacyAdd = 222,
  kIdLegacyEdit = 223,
  kIdLegacyDelete = 224,
  kIdLegacyLoadList = 225,
  kIdLoadLegacyFiles = 226,
  kIdRemovalAdd = 227,
  kIdRemovalAddLocal = 228,
  kIdRemovalEdit = 229,
  kIdRemovalDelete = 230,
  kIdRemovalCopy = 231,
  kIdRemovalList = 232,
  kIdRemoveLegacyFiles = 233,
  kIdSendSubmissionFile = 234,
  kIdLegacyInfo = 235,
  // Load PS Fonts page.
  kIdFontAdd = 236,
  kIdFontDelete = 238,
  kIdFontList = 239,
  kIdLoadFonts = 240,
  kIdFontsInfo = 241,
  // The submission file path field of the Manage Legacy Files page.
  kIdLegacySubmissionPath = 242,

  // Printer groups dialog.
  kIdGroupAdd = 300,
  kIdGroupDelete = 301,
  kIdGroupChoice = 302,
  kIdGroupPrinters = 303,
  kIdCheckAll = 304,
  kIdUncheckAll = 305,

  // Send history dialog and its details.
  kIdHistoryList = 310,
  kIdHistoryDetails = 311,
  kIdHistoryRefresh = 312,
  kIdHistorySendFacts = 313,
  kIdHistoryMembers = 314,

  // Interpreter dialog.
  kIdUseInstalled = 400,
  kIdUseBuiltin = 401,
  kIdTesselFolder = 402,
  kIdStubFile = 403,
  kIdEditStub = 404,
  kIdInterpreterOk = 405,

  // Inside every path field.
  kIdPathText = 1000,
  kIdPathBrowse = 1001,

  // Inside the submission field of the Send Container page (its text field
  // has the path field's id).
  kIdSubmissionBrowse = 2000,
  kIdExternalSubmission = 2001,

  // Printer path dialogs.
  kIdSetPrinterPath = 3000,
  kIdSetPathType = 3001,
  kIdConvertLocalPath = 4000,
  kIdConvertPathType = 4001,
  kIdModifyNamesType = 5000,
};
