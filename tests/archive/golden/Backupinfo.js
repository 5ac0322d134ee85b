var Content={
	"Version":	{
		"Current":	"1.0.0"
	},
	"BackupInfo":	{
		"Contacts":	"3",
		"CallLogs":	"4",
		"Photos":	"7",
		"Musics":	"2"
	}
};