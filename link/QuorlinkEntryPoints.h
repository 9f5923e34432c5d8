// The communication library's entry points, in the order of the program's table. Each
// entry is X(name); the export is looked up by this exact name.
#pragma once

#define QUORLINK_ENTRY_POINT_COUNT 126

#define QUORLINK_ENTRY_POINTS(X) \
    X(AddNewCommunication) X(SetInterface) X(SetComBufferSize) X(Open) \
    X(Close) X(WriteComByte) X(WriteComBuffer) X(ReadComBuffer) \
    X(MilliTim) X(MicroTim) X(WaitComByte) X(WaitByte) \
    X(ReadDataWaiting) X(ReadOutBuffer) X(ClearBufferFIFO) X(IsOpen) \
    X(ReadByte) X(ReadComByte) X(ConvertiHexToInt) X(ConvertiHexToInt64) \
    X(Hex2Int) X(Hex2Int64) X(GetCOM_Installed) X(ChangeBaudRate) \
    X(SetupDCB) X(SetupCom) X(StartSynchronism) X(StopSynchronism) \
    X(IsConnected) X(GetLastByteRead) X(AddBufferToQueue) X(SendAllQueueCommand) \
    X(SendCommandWithBuffer) X(SendCommandWithBuffer2) X(SendCommandToEcrNew) X(SendCommandToEcr) \
    X(SendCommandToEcr2) X(SendBufferToEcr) X(SendBufferToEcrNew) X(SendSale) \
    X(SendSaleBuffer) X(SendComment) X(Dump) X(SendCmdFileToEcr) \
    X(SendGraphicFileToEcr) X(SendGraphicBufferToEcr) X(GraphicEcrMMC) X(SetNotifyHwnd) \
    X(GetNotifyHwnd) X(SetProgressCtrl) X(GetProgressCtrl) X(GetFiscalReceipts) \
    X(_GetLastError) X(DisableEchoBarCode) X(ManagementBarCodeWithMsg) X(GetLastBarCode) \
    X(DisableEcho) X(ManagementKeyEchoWithMsg) X(GetSizeLastDump) X(GetLastDump) \
    X(ResetLastDump) X(GetLastErrorMsg) X(ResetLastError) X(ChangeBaudRateAfterCmd) \
    X(GetEcrInformation) X(GetEcrStrID) X(ParseStrEcrID) X(DisableAutomaticCloseOn47) \
    X(Disable205OnClose) X(DisableAutomaticClearError) X(SetEcrMaxBlockCommand) X(EnableCheckComment) \
    X(EnableCheckSale) X(EnableSplitSendCommand) X(SetSplitSendCommand) X(EnableSpecialCmd) \
    X(SetEcrTabIn) X(ConvertToEcrTabIn) X(EnableAutoClearLastDump) X(SetPasswordDump) \
    X(GetPasswordDump) X(DisableEcrStrID) X(DisableSendEcrStart) X(EnableSplitSendGraphicBuf) \
    X(SetProtocol) X(GetStatus) X(GetStatusRecord) X(SetBlockSizeCmdWithBuffer) \
    X(ConvertToInternalTab) X(GetMsg_EcrError) X(GetMsg_EcrDisconnected) X(GetMsg_EcrOutput) \
    X(GetMsg_EcrBarCode) X(GetMsg_EcrKey) X(GetMsg_RemoteDump) X(GetMsg_StringaIdEcr) \
    X(CheckFirmwareFile) X(SetFile2) X(SendFirmwareFileToEcr) X(VerifyEcrInBoot) \
    X(SetDownloadProtocol) X(EnableShowHideProgressCtrl) X(EnableIgnoreHardwareVersion) X(GetFrameCount) \
    X(GetMsgReload) X(GetMsgFirma) X(GetMsgFrameNumber) X(GetMsgLoader) \
    X(GetMsg_DwModem_Info) X(GetMsg_DwModem_WriteFlash) X(GetMsg_DwModem_VerifyFlash) X(GetMsg_DwModem_Error) \
    X(GetMsg_DwModem_HwError) X(GetMsg_DwModem_SaveProgram) X(ListenDump_Start) X(ListenDump_Stop) \
    X(GetMsg_DumpStart) X(GetMsg_DumpEnd) X(IsValidPsw) X(InitSimulation) \
    X(EndInitSendVerify) X(ForceStop) X(EnableWriteBufferDump2) X(EnableAddLenDumpToDump) \
    X(AddDataToWriteDump) X(AddDataToWriteDump2)
