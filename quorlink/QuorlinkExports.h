// Every name the library exports, in the order of the program's entry-point table.
// The five the program calls are USED(name), the rest OTHER(name); Quorlink.def lists
// the same names and a test compares both with the built library's export table.
#pragma once

#define QUORLINK_EXPORT_COUNT 126

#define QUORLINK_EXPORTS(USED, OTHER) \
    OTHER(AddNewCommunication) USED(SetInterface) OTHER(SetComBufferSize) \
    USED(Open) USED(Close) OTHER(WriteComByte) \
    OTHER(WriteComBuffer) USED(ReadComBuffer) OTHER(MilliTim) \
    OTHER(MicroTim) OTHER(WaitComByte) OTHER(WaitByte) \
    OTHER(ReadDataWaiting) OTHER(ReadOutBuffer) OTHER(ClearBufferFIFO) \
    OTHER(IsOpen) OTHER(ReadByte) OTHER(ReadComByte) \
    OTHER(ConvertiHexToInt) OTHER(ConvertiHexToInt64) OTHER(Hex2Int) \
    OTHER(Hex2Int64) USED(GetCOM_Installed) OTHER(ChangeBaudRate) \
    OTHER(SetupDCB) OTHER(SetupCom) OTHER(StartSynchronism) \
    OTHER(StopSynchronism) OTHER(IsConnected) OTHER(GetLastByteRead) \
    OTHER(AddBufferToQueue) OTHER(SendAllQueueCommand) OTHER(SendCommandWithBuffer) \
    OTHER(SendCommandWithBuffer2) OTHER(SendCommandToEcrNew) OTHER(SendCommandToEcr) \
    OTHER(SendCommandToEcr2) OTHER(SendBufferToEcr) OTHER(SendBufferToEcrNew) \
    OTHER(SendSale) OTHER(SendSaleBuffer) OTHER(SendComment) \
    OTHER(Dump) OTHER(SendCmdFileToEcr) OTHER(SendGraphicFileToEcr) \
    OTHER(SendGraphicBufferToEcr) OTHER(GraphicEcrMMC) OTHER(SetNotifyHwnd) \
    OTHER(GetNotifyHwnd) OTHER(SetProgressCtrl) OTHER(GetProgressCtrl) \
    OTHER(GetFiscalReceipts) OTHER(_GetLastError) OTHER(DisableEchoBarCode) \
    OTHER(ManagementBarCodeWithMsg) OTHER(GetLastBarCode) OTHER(DisableEcho) \
    OTHER(ManagementKeyEchoWithMsg) OTHER(GetSizeLastDump) OTHER(GetLastDump) \
    OTHER(ResetLastDump) OTHER(GetLastErrorMsg) OTHER(ResetLastError) \
    OTHER(ChangeBaudRateAfterCmd) OTHER(GetEcrInformation) OTHER(GetEcrStrID) \
    OTHER(ParseStrEcrID) OTHER(DisableAutomaticCloseOn47) OTHER(Disable205OnClose) \
    OTHER(DisableAutomaticClearError) OTHER(SetEcrMaxBlockCommand) OTHER(EnableCheckComment) \
    OTHER(EnableCheckSale) OTHER(EnableSplitSendCommand) OTHER(SetSplitSendCommand) \
    OTHER(EnableSpecialCmd) OTHER(SetEcrTabIn) OTHER(ConvertToEcrTabIn) \
    OTHER(EnableAutoClearLastDump) OTHER(SetPasswordDump) OTHER(GetPasswordDump) \
    OTHER(DisableEcrStrID) OTHER(DisableSendEcrStart) OTHER(EnableSplitSendGraphicBuf) \
    OTHER(SetProtocol) OTHER(GetStatus) OTHER(GetStatusRecord) \
    OTHER(SetBlockSizeCmdWithBuffer) OTHER(ConvertToInternalTab) OTHER(GetMsg_EcrError) \
    OTHER(GetMsg_EcrDisconnected) OTHER(GetMsg_EcrOutput) OTHER(GetMsg_EcrBarCode) \
    OTHER(GetMsg_EcrKey) OTHER(GetMsg_RemoteDump) OTHER(GetMsg_StringaIdEcr) \
    OTHER(CheckFirmwareFile) OTHER(SetFile2) OTHER(SendFirmwareFileToEcr) \
    OTHER(VerifyEcrInBoot) OTHER(SetDownloadProtocol) OTHER(EnableShowHideProgressCtrl) \
    OTHER(EnableIgnoreHardwareVersion) OTHER(GetFrameCount) OTHER(GetMsgReload) \
    OTHER(GetMsgFirma) OTHER(GetMsgFrameNumber) OTHER(GetMsgLoader) \
    OTHER(GetMsg_DwModem_Info) OTHER(GetMsg_DwModem_WriteFlash) OTHER(GetMsg_DwModem_VerifyFlash) \
    OTHER(GetMsg_DwModem_Error) OTHER(GetMsg_DwModem_HwError) OTHER(GetMsg_DwModem_SaveProgram) \
    OTHER(ListenDump_Start) OTHER(ListenDump_Stop) OTHER(GetMsg_DumpStart) \
    OTHER(GetMsg_DumpEnd) OTHER(IsValidPsw) OTHER(InitSimulation) \
    OTHER(EndInitSendVerify) OTHER(ForceStop) OTHER(EnableWriteBufferDump2) \
    OTHER(EnableAddLenDumpToDump) OTHER(AddDataToWriteDump) OTHER(AddDataToWriteDump2)

#ifdef __cplusplus
#define QUORLINK_NAME_TEXT(name) #name,
// The export names as text, in table order.
inline constexpr const char* g_QuorlinkExportNames[QUORLINK_EXPORT_COUNT] = {
    QUORLINK_EXPORTS(QUORLINK_NAME_TEXT, QUORLINK_NAME_TEXT)};
#undef QUORLINK_NAME_TEXT
#endif
