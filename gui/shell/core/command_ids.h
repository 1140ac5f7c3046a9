#pragma once
// Command identifiers of the pre-processor's menus and toolbar. A menu entry
// and a toolbar button with the same identifier run the same command.

namespace kv {

enum CommandId : int {
  // File
  kCmdNew = 32774,
  kCmdOpen = 32771,
  kCmdSave = 33343,
  kCmdSaveAs = 33344,
  kCmdImportMesh = 33219,
  kCmdExportMesh = 33220,
  kCmdReadResults = 33258,
  kCmdExportResults = 40110,  // results for ParaView (VTK XML files and their .pvd)
  kCmdSaveImage = 33251,
  kCmdSaveAnimation = 33250,
  kCmdExit = 105,
  kCmdJournal = 40100,  // the command journal (shown and saved as text)
  // Edit
  kCmdUndo = 33316,
  kCmdForeground = 33217,
  kCmdBackground = 33216,
  // View
  kCmdOrientation = 32992,
  kCmdLegend = 33249,
  kCmdShowModel = 33176,
  kCmdShowResults = 33175,
  kCmdBoundaryConditions = 33330,
  kCmdRunners = 33296,
  kCmdPart = 33297,
  kCmdMold = 33323,
  kCmdCooling = 33298,
  kCmdSurfaceWireframe = 32993,
  kCmdFacetWireframe = 33015,
  kCmdShade = 32994,
  kCmdSurfaceOutline = 32999,
  kCmdFacetOutline = 32998,
  kCmdTransparency = 33300,
  kCmdRedraw = 32885,
  kCmdZoomWindow = 32796,
  kCmdZoomAll = 32797,
  kCmdCentreOfRotation = 32923,
  kCmdFront = 32780,
  kCmdBack = 32781,
  kCmdLeft = 32782,
  kCmdRight = 32783,
  kCmdTop = 32784,
  kCmdBottom = 32785,
  kCmdIsometric = 32795,
  kCmdCopyToClipboard = 32958,
  kCmdOptions = 33318,
  // Select
  kCmdPickVertex = 33214,
  kCmdPickLine = 33266,
  kCmdPickFacet = 33191,
  kCmdPickPlane = 33192,
  kCmdPickSurface = 33193,
  kCmdPickShell = 33194,
  kCmdSelectNone = 33195,
  kCmdSelectInvert = 33196,
  kCmdSelectStatistics = 33201,
  // Mesh
  kCmdFixMesh = 33267,
  kCmdCreateNode = 33290,
  kCmdCreateElement = 33291,
  kCmdDeleteElement = 33294,
  kCmdMergeNode = 33340,
  kCmdQueryNode = 33212,
  kCmdQueryFace = 33259,
  kCmdQueryElement = 33276,
  kCmdThickness = 40000,
  kCmdReverseNormals = 40001,
  kCmdAspectRatio = 33269,
  kCmdCheckOrientation = 33332,
  kCmdMeshStatistics = 33235,
  // Transform
  kCmdScale = 33282,
  kCmdMove = 33270,
  kCmdRotate = 33271,
  kCmdReflect = 33272,
  // Measure
  kCmdDistance = 33257,
  kCmdRadius = 33304,
  kCmdAngle = 33305,
  kCmdArea = 33306,
  kCmdProjectedArea = 33262,
  // Properties
  kCmdViewProperties = 33268,
  kCmdPropertyQueryNode = 33349,
  kCmdPropertyQueryElement = 33348,
  // Simulation
  kCmdParameters = 33232,
  kCmdMaterials = 33226,
  kCmdProcessingConditions = 33231,
  kCmdBoundaryConditionsDialog = 33227,
  kCmdSolve = 33233,
  kCmdLog = 33325,
  // Results
  kCmdPlot = 33177,
  kCmdContours = 33211,
  kCmdLimits = 33240,
  kCmdResultQuery = 33261,
  kCmdSavePlot = 33346,
  kCmdMetric = 33334,
  kCmdEnglish = 33335,
  kCmdPrevious = 33207,
  kCmdNext = 33206,
  kCmdPlay = 33208,
  kCmdStop = 33209,
  kCmdRecord = 33246,
  // Window
  kCmdShowOutput = 33011,
  kCmdShowInput = 33010,
  kCmdShowCommand = 33012,
  kCmdShowToolbar = 33013,
  kCmdShowGraphics = 33014,  // brings the Graphics child back after it was closed
  // Help
  kCmdHelpIndex = 33301,
  kCmdSystem = 33302,
  kCmdAbout = 32793,
};

}  // namespace kv
