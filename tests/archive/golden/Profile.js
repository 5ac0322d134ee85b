var UserSelected={
	"Version":	{
		"Current":	"1.0.0"
	},
	"1":	{
		"SessionID":	"Contacts"
	},
	"2":	{
		"SessionID":	"CallHistory"
	}
};