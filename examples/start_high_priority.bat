@echo off
rem Tarnwick opens this file about eight seconds after the game has started through SFSE.
rem Your own commands go into start_high_priority_custom.bat beside this file, which no release
rem of Tarnwick ships: where it is, it runs instead of the command below. An update replaces
rem this file, so leave it as it is.
if exist "%~dp0start_high_priority_custom.bat" goto custom
echo %date% %time% start_high_priority.bat ran>> "%~dp0start_high_priority.log"
%SystemRoot%\System32\WindowsPowerShell\v1.0\powershell.exe -NoProfile -NonInteractive -Command "Get-Process Starfield -ErrorAction SilentlyContinue | ForEach-Object { $_.PriorityClass = 'High' }"
exit /b
:custom
echo %date% %time% start_high_priority_custom.bat ran>> "%~dp0start_high_priority.log"
call "%~dp0start_high_priority_custom.bat"
